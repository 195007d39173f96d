#pragma once

#include "support/MessageBoxes.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zelmaro::test {

struct FakeMessage {
    std::string Kind; // "error", "warning", "info", "question"
    std::string Text;
    std::string Caption;
    // As the logs and the tests write it: "kind: text".
    std::string Line() const { return Kind + ": " + Text; }
};

// Message boxes that answer at once and keep what they were asked to show,
// so that no test waits for a real box. Base is MessageBoxes or an interface
// derived from it (the fake host records its messages so).
template <class Base> class RecordingBoxesOf : public Base {
public:
    std::vector<FakeMessage> Messages;
    // Runs for each message as it comes.
    std::function<void(const FakeMessage&)> OnMessage;
    // What every question is answered.
    bool Answer = true;

    void ShowError(std::string_view message, std::string_view caption) override
    {
        Add("error", message, caption);
    }
    void ShowWarning(std::string_view message, std::string_view caption) override
    {
        Add("warning", message, caption);
    }
    void ShowInfo(std::string_view message, std::string_view caption) override
    {
        Add("info", message, caption);
    }

    bool AskYesNo(std::string_view question, std::string_view caption) override
    {
        Add("question", question, caption);
        return Answer;
    }

private:
    void Add(const char* kind, std::string_view text, std::string_view caption)
    {
        Messages.push_back({kind, std::string(text), std::string(caption)});
        if (OnMessage)
            OnMessage(Messages.back());
    }
};

using RecordingMessageBoxes = RecordingBoxesOf<MessageBoxes>;

// The texts of the messages of one kind, in order.
inline std::vector<std::string> MessageTexts(const std::vector<FakeMessage>& messages,
                                             const std::string& kind)
{
    std::vector<std::string> texts;
    for (const FakeMessage& m : messages)
        if (m.Kind == kind)
            texts.push_back(m.Text);
    return texts;
}

// Every message as its line, in order.
inline std::vector<std::string> MessageLines(const std::vector<FakeMessage>& messages)
{
    std::vector<std::string> lines;
    for (const FakeMessage& m : messages)
        lines.push_back(m.Line());
    return lines;
}

} // namespace zelmaro::test

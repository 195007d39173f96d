#pragma once

#include "platform/ChildProcess.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zelmaro {

// Called for every line of a program's output with the program's handle.
using TConsoleLineEvent = std::function<void(TProcessHandle, const std::string&)>;

// Turns a program's output bytes into lines the way a console shows them. A
// carriage return ends a line, and unless a line feed follows, the next line
// rewrites it; a line feed ends a line too; CR LF is one line end. Lines of
// more than 256 characters come in pieces of 256. Each line goes to the list
// (when there is one) and then to the callback (when there is one).
class TOutputLineSplitter {
public:
    static constexpr std::size_t kLineLength = 256;

    TOutputLineSplitter(std::vector<std::string>* lines, TConsoleLineEvent onLine,
                        TProcessHandle handle);

    void Feed(std::string_view bytes);
    // Delivers what is left after the output has ended (an empty line too).
    void Finish();

private:
    void Flush();
    bool AtPieceEnd() const { return pieceEnd_ && count_ == 0; }

    std::vector<std::string>* lines_;
    TConsoleLineEvent onLine_;
    TProcessHandle handle_;
    std::array<char, kLineLength + 1> buffer_{};
    std::size_t count_ = 0;
    bool newLine_ = true;   // the next flush adds an entry rather than rewriting
    bool afterCR_ = false;  // the last byte was a carriage return
    bool pieceEnd_ = false; // the last flush was a full buffer
};

} // namespace zelmaro

#include "runner/OutputLineSplitter.h"

#include <utility>

namespace zelmaro {

TOutputLineSplitter::TOutputLineSplitter(std::vector<std::string>* lines, TConsoleLineEvent onLine,
                                         TProcessHandle handle)
    : lines_(lines), onLine_(std::move(onLine)), handle_(handle)
{
}

void TOutputLineSplitter::Feed(std::string_view bytes)
{
    for (char c : bytes) {
        if (c == '\n') {
            // After CR the line is out already; a line end right after a full
            // buffer adds no empty line.
            if (!afterCR_ && !AtPieceEnd())
                Flush();
            newLine_ = true;
            afterCR_ = false;
            pieceEnd_ = false;
        } else if (c == '\r') {
            if (AtPieceEnd())
                newLine_ = false;
            else
                Flush();
            afterCR_ = true;
            pieceEnd_ = false;
        } else {
            afterCR_ = false;
            pieceEnd_ = false;
            buffer_[count_++] = c;
            if (count_ == kLineLength) {
                newLine_ = true;
                Flush();
                // The rest of a long line is a further entry, not a rewrite.
                newLine_ = true;
                pieceEnd_ = true;
            }
        }
    }
}

void TOutputLineSplitter::Finish()
{
    // After a closing CR there is nothing to rewrite the last line with.
    if (!AtPieceEnd() && !(afterCR_ && count_ == 0))
        Flush();
}

void TOutputLineSplitter::Flush()
{
    buffer_[count_] = '\0';
    std::string text(buffer_.data(), count_);
    if (lines_ != nullptr) {
        if (newLine_ || lines_->empty())
            lines_->push_back(text);
        else
            lines_->back() = text;
    }
    newLine_ = false;
    count_ = 0;
    if (onLine_)
        onLine_(handle_, text);
}

} // namespace zelmaro

#pragma once

namespace zelmaro {

// The pointers the window shows: the arrow, and busy while a command runs.
enum class TCursorKind { crDefault, crHourGlass };

// The pointer shown over every window of the application.
TCursorKind AppCursor();
// Switches the whole application between the normal and the busy pointer.
void SetAppCursor(TCursorKind cursor);

// Shows the busy pointer for its lifetime, then the pointer shown before.
class TBusyCursor {
public:
    TBusyCursor();
    ~TBusyCursor();
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;

private:
    TCursorKind FPrevious;
};

} // namespace zelmaro

#pragma once
// The small family of file errors that reach the window layer, which shows their message in the
// standard error box.

#include <stdexcept>
#include <string>

// A read or write failed on a file that was open, or the current folder could not be restored.
class EInOutError : public std::runtime_error {
public:
    // `code` is the system error number; the message is "I/O error <code>: <reason>".
    explicit EInOutError(int code);
    int Code() const { return code_; }

private:
    int code_;
};

// An existing file could not be opened: "Cannot open file "<path>". <reason>".
class EFOpenError : public std::runtime_error {
public:
    EFOpenError(const std::string& path, int code);
};

// A file could not be created: "Cannot create file "<path>". <reason>".
class EFCreateError : public std::runtime_error {
public:
    EFCreateError(const std::string& path, int code);
};

// The system's text for an error number.
std::string SystemReason(int code);

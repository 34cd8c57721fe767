#include "util/FileErrors.h"

#include <cstring>

std::string SystemReason(int code) {
    return std::strerror(code);
}

EInOutError::EInOutError(int code)
    : std::runtime_error("I/O error " + std::to_string(code) + ": " + SystemReason(code)), code_(code) {}

EFOpenError::EFOpenError(const std::string& path, int code)
    : std::runtime_error("Cannot open file \"" + path + "\". " + SystemReason(code)) {}

EFCreateError::EFCreateError(const std::string& path, int code)
    : std::runtime_error("Cannot create file \"" + path + "\". " + SystemReason(code)) {}

#pragma once
// Decoding of a JPEG picture into a bitmap, through the JPEG library's C API.

#include <QByteArray>
#include <QImage>
#include <stdexcept>

// A picture the JPEG library refused; `code` is the library's message number.
class EJpegError : public std::runtime_error {
public:
    explicit EJpegError(int code);
    int code() const { return code_; }

private:
    int code_;
};

// Decodes a whole JPEG file held in memory into an RGB image of the picture's own size.
// Throws EJpegError ("JPEG error #<n>") when the library gives up on the data; recoverable
// damage that the library only warns about still yields a picture.
QImage DecodeJpeg(const QByteArray& data);

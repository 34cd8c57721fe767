#include "dialogs/JpegDecoder.h"

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <string>

#include <jpeglib.h>
// jerror.h after jpeglib.h: it needs the library types.
#include <jerror.h>

EJpegError::EJpegError(int code) : std::runtime_error("JPEG error #" + std::to_string(code)), code_(code) {}

namespace {

// The library's default error handler ends the process; ours jumps back to the decoder, which
// turns the failure into an exception once no library frame is left on the stack.
struct ErrorManager {
    jpeg_error_mgr library;
    std::jmp_buf recovery;
};

[[noreturn]] void jumpToRecovery(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    std::longjmp(manager->recovery, 1);
}

// Warnings and trace messages would go to stderr; nobody reads them there.
void discardMessage(j_common_ptr) {}

} // namespace

QImage DecodeJpeg(const QByteArray& data) {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.library);
    errors.library.error_exit = jumpToRecovery;
    errors.library.output_message = discardMessage;

    // Held by a plain pointer: the long jump must not skip a destructor.
    QImage* volatile image = nullptr;
    if (setjmp(errors.recovery) != 0) {
        const int code = errors.library.msg_code;
        delete image;
        jpeg_destroy_decompress(&info);
        throw EJpegError(code);
    }

    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB; // grey pictures are widened to RGB as well
    jpeg_start_decompress(&info);

    image =
        new QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height), QImage::Format_RGB888);
    if (image->isNull()) // a damaged header may claim a size no bitmap can hold
        ERREXIT1(&info, JERR_OUT_OF_MEMORY, 0);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image->scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);

    QImage result = std::move(*image);
    delete image;
    return result;
}

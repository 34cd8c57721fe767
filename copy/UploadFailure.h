#pragma once
// Why an upload failed decides whether trying it again can help: a dropped line or a busy server may
// pass, a refusal or a local read error will not.

#include <exception>

namespace copyjob {

enum class TUploadFailure {
    MayPass,  // 421, 426, 450, 451; the connection closed, reset or timed out
    WillLast, // any other refusal (530, 550, 553 …), an unreadable source, an unsafe name
};

TUploadFailure ClassifyUploadFailure(const std::exception_ptr& failure);

} // namespace copyjob

#include "copy/UploadFailure.h"

#include "ftp/IdExceptions.h"

#include <algorithm>
#include <array>

namespace copyjob {
namespace {

// Service closing, transfer aborted, file busy, local error on the server: all of them may pass.
constexpr std::array kPassingReplies{421, 426, 450, 451};

} // namespace

TUploadFailure ClassifyUploadFailure(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const EIdProtocolReplyError& refused) {
        const bool passing =
            std::find(kPassingReplies.begin(), kPassingReplies.end(), refused.ReplyCode()) != kPassingReplies.end();
        return passing ? TUploadFailure::MayPass : TUploadFailure::WillLast;
    } catch (const EIdSocketError&) {
        return TUploadFailure::MayPass; // reset, aborted, shut down, timed out, refused on reconnect
    } catch (const EIdConnClosedGracefully&) {
        return TUploadFailure::MayPass;
    } catch (const EIdNotConnected&) {
        return TUploadFailure::MayPass;
    } catch (const EIdClosedSocket&) {
        return TUploadFailure::MayPass;
    } catch (const EIdReadTimeout&) {
        return TUploadFailure::MayPass;
    } catch (...) {
        return TUploadFailure::WillLast;
    }
}

} // namespace copyjob

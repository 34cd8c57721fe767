#include "sftp/SshErrors.h"

namespace sftp {

bool MayPass(const ESshError& error) {
    switch (error.Failure()) {
    case TSshFailure::Connect:
    case TSshFailure::TimedOut:
    case TSshFailure::Protocol:
        return true;
    default:
        return false;
    }
}

} // namespace sftp

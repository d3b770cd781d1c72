#include "portrait/JpegErrorExit.h"

namespace {

[[noreturn]] void jumpBack(j_common_ptr jpeg) {
    std::longjmp(reinterpret_cast<JpegErrorExit*>(jpeg->err)->start, 1);
}

// Warnings would go to stderr, which a windowed program does not have; a
// damaged picture shows as far as it goes without a word.
void ignoreMessage(j_common_ptr) {}

} // namespace

jpeg_error_mgr* jumpBackOnJpegError(JpegErrorExit& errors) {
    jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jumpBack;
    errors.manager.output_message = ignoreMessage;
    return &errors.manager;
}

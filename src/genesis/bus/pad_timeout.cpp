#include "genesis/bus/pad_timeout.h"

namespace varn {

std::array<u32, 2> pad_timeout{};
void (*pad_timeout_expired)(u32 port) = nullptr;

void pad_timeout_tick() {
    for (u32 port = 0; port < pad_timeout.size(); ++port) {
        if (pad_timeout[port] == 0) continue;
        if (--pad_timeout[port] == 0 && pad_timeout_expired) pad_timeout_expired(port);
    }
}

void pad_timeout_reset() { pad_timeout.fill(0); }

}  // namespace varn

#include "base/speed_paths.h"

namespace varn {

namespace detail {
bool speed_paths_on = true;
}

void set_speed_paths(bool on) { detail::speed_paths_on = on; }

}  // namespace varn

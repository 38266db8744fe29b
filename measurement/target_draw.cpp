#include "measurement/target_draw.h"

#include <cmath>

namespace tintora::measurement {

int channel_value(float r) { return static_cast<int>(std::floor(static_cast<double>(r) * 256.0)); }

Target target_draw(RandomSource& random)
{
    Target target;
    for (auto& value : target.channel) {
        random.reseed_from_clock();
        value = channel_value(random.next());
    }
    return target;
}

}

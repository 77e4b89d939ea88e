#pragma once
// Which settings made a target, in a form a later run can compare: whatever
// changes a target's bytes changes its fingerprint, and nothing else does. The
// one place that knows which values of a conversion those are; a run with
// several outputs fingerprints each output's own conversion.
#include <string>

#include "image/conversion.h"

namespace nuthumb {

// 16 hexadecimal digits over the values that shape a target of `conversion`: its
// format, scaling (size and basis or the box, enlarging and the filter, only when
// it scales), where its pixels come from (an embedded preview or not), turning,
// quality and colours, and the version of the program's output. The photos' dates are
// not among them: they change a target's time, not its bytes. Stored in the
// destination's record and compared by later runs, so the result for a given
// conversion must never change by accident: a value added to the conversion
// enters the text only when it is not at its default, so records written before
// it stay valid.
std::string SettingsFingerprint(const Conversion& conversion);

}  // namespace nuthumb

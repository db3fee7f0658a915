#include "settings/NativeGameHost.h"

namespace qm {

bool NativeGameHost::ChooseWinePrefix(std::u16string_view, Reason* error) {
    if (error) *error = Reason{.kind = ReasonKind::NoWineOnThisSystem};
    return false;
}

}  // namespace qm

#include "settings/NativeGameHost.h"

namespace qm {

bool NativeGameHost::ChooseWinePrefix(std::u16string_view, std::u16string* error) {
    if (error) *error = u"このシステムではゲームは Wine を使わずに動きます。";
    return false;
}

}  // namespace qm

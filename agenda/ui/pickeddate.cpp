#include "agenda/ui/pickeddate.h"

namespace quindara {

PickedDate& pickedDate() {
    static PickedDate picked;
    return picked;
}

} // namespace quindara

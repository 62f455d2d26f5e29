// Installs the classes of the outside world, after the stage classes (AsBroadcaster) and the
// flash packages.
#include "player/avm1/OutsideWorld.h"

namespace kelmora::player::avm1 {

void installOutsideWorldClasses(Interpreter& in) {
    installFileReferenceClasses(in);
    installContextMenuClasses(in);
    installPrintJobClass(in);
    installLocalConnectionClass(in);
    installExternalInterfaceConversions(in);
    installNetConnectionClass(in);
    installNetStreamClass(in);
    installXmlSocketClass(in);
}

}  // namespace kelmora::player::avm1

// The classes of the Keldrun library.
#include "common/frame.h"
#include "keldrun/security/crypt_class.h"
#include "keldrun/security/security_class.h"
#include "keldrun/files/file_sys_object.h"
#include "keldrun/files/folder_sys_object.h"
#include "keldrun/files/shell_execute.h"

namespace frame {

const Library& thisLibrary() {
    static const ClassEntry classes[] = {
        keldrun::SimpleCrypt::entry(),
        keldrun::Security::entry(),
        keldrun::FileSysObject::entry(),
        keldrun::FolderSysObject::entry(),
        keldrun::CShellExecute::entry(),
    };
    static const Library library{u"Keldrun", classes, sizeof(classes) / sizeof(classes[0])};
    return library;
}

}  // namespace frame

// profile_runner through kernel32's GetPrivateProfileStringA / WritePrivateProfileStringA.
#include <windows.h>

#include "profile_runner.h"

namespace orveline::test {

unsigned runnerRead(const char* section, const char* key, const char* fallback, char* buffer,
                    unsigned size, const char* file) {
    return GetPrivateProfileStringA(section, key, fallback, buffer, size, file);
}

bool runnerWrite(const char* section, const char* key, const char* value, const char* file) {
    return WritePrivateProfileStringA(section, key, value, file) != FALSE;
}

}  // namespace orveline::test

// profile_runner through our own private-profile file code and the Linux settings write.
#include "linux_files.h"
#include "profile_file.h"
#include "profile_runner.h"

namespace orveline::test {

unsigned runnerRead(const char* section, const char* key, const char* fallback, char* buffer,
                    unsigned size, const char* file) {
    return ProfileGetString(section, key, fallback, buffer, size, file);
}

bool runnerWrite(const char* section, const char* key, const char* value, const char* file) {
    return ProfileWriteString(section, key, value, file, SaveSettingsFile);
}

}  // namespace orveline::test

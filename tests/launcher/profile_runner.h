// The private-profile calls that profile_runner drives: the Windows calls or our own code.
#pragma once

namespace orveline::test {

unsigned runnerRead(const char* section, const char* key, const char* fallback, char* buffer,
                    unsigned size, const char* file);
bool runnerWrite(const char* section, const char* key, const char* value, const char* file);

}  // namespace orveline::test

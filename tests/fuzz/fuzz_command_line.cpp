// Any command line gives a mode letter and a preview handle; any settings text a number or none.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "number_text.h"
#include "veyra_b.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string letter = orveline::ModeLetter(text);
    if (letter.size() > 1) std::abort();
    orveline::PreviewHostHandle(text);
    if (const auto number = orveline::SettingsNumber(text)) {
        // The rule's result is the integer part: re-reading its decimal text gives it back.
        if (orveline::SettingsNumber(std::to_string(*number)) != number) std::abort();
    }
    orveline::LeadingNumber(text);
    return 0;
}

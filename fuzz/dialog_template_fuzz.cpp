// dialog_template_fuzz.cpp - the dialog template reader that pecheck runs
// over built DLLs and the substitute host over the compiled resources: any
// bytes, read both as a resource file and as one template.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/dialogs/dialog_template.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);  // exactly the input: no slack to read into
    dlgtpl::Template t;
    dlgtpl::ParseTemplate(bytes.data(), bytes.size(), &t);
    std::vector<dlgtpl::ResEntry> entries;
    if (dlgtpl::ReadResFile(bytes.data(), bytes.size(), &entries)) {
        for (const dlgtpl::ResEntry& e : entries) {
            if (e.type == dlgtpl::kResourceTypeDialog) dlgtpl::ParseTemplate(e.data, e.size, &t);
        }
    }
    return 0;
}

// dialog_table.h - the module's dialog templates as they must be, checked
// against the templates read out of a built DLL.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/dialogs/dialog_template.h"

struct FoundDialog {
    int id;                           // resource id (RT_DIALOG)
    std::vector<std::uint8_t> bytes;  // the template as stored
};

// One fact per dialog; a failure line for each difference.
void CheckDialogTemplates(const std::vector<FoundDialog>& found, std::vector<std::string>* facts,
                          std::vector<std::string>* failures);

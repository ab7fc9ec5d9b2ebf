// module_exports.cpp - the exported ImportTable and Linkage records.
#include "shell/module_exports.h"

static void LinkageInit() {}
static void LinkageDeinit() {}

extern "C" {
ModuleImportTable ImportTable = {0x0F, 0, 0, 0};
ModuleLinkage Linkage = {0x13, LinkageInit, LinkageDeinit, 0, 0, 0x0900, 0};
}

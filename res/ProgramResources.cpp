#include "res/ProgramResources.h"

#include "platform/base/ResourceTables.h"
#include "res/DialogTemplates.h"
#include "res/EmbeddedResources.h"
#include "res/Icons.h"
#include "res/StringTable.h"
#include "res/resource.h"

namespace {

// Constant data, so it is in place before any object's constructor could install it.
constexpr ResourceTables s_tables = {
    &FindStringResource, AFX_IDS_APP_TITLE, &FindIconResource, &FindDialogTemplateResource, &EmbeddedResourceTable,
};

}  // namespace

void InstallProgramResources()
{
    ResourceTablesSlot().Install(&s_tables);
}

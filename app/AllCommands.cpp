#include "AllCommands.h"

#include "BarsCommands.h"
#include "ChooserCommands.h"
#include "ComposeCommands.h"
#include "CoreCommands.h"
#include "FolderItemsCommands.h"
#include "GatherCommands.h"
#include "OptionsCommands.h"
#include "ProgressCommands.h"
#include "RecipientCommands.h"
#include "SearchCommands.h"
#include "SettingsCommands.h"
#include "WheelCommands.h"

namespace app {
namespace {

void RunHelp(const CommandTable& oTable, CommandContext& ctx) {
  for (const auto& [sName, oSpec] : oTable.All())
    ctx.out << "  " << sName << (oSpec.sUsage.empty() ? "" : " " + oSpec.sUsage) << "\n      " << oSpec.sHelp
            << "\n";
}

}  // namespace

void RegisterAllCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession) {
  RegisterCoreCommands(oTable, pSession);
  RegisterSettingsCommands(oTable);
  RegisterProgressCommands(oTable, pSession);
  RegisterOptionsCommands(oTable, pSession);
  RegisterRecipientCommands(oTable, pSession);
  RegisterGatherCommands(oTable, pSession);
  RegisterSearchCommands(oTable, pSession);
  RegisterBarsCommands(oTable, pSession);
  RegisterFolderItemsCommands(oTable, pSession);
  RegisterWheelCommands(oTable, pSession);
  RegisterComposeCommands(oTable, pSession);
  RegisterChooserCommands(oTable, pSession);
  oTable.Add({"help", "", "lists the commands",
              [&oTable](CommandContext& ctx, const Args&) { RunHelp(oTable, ctx); }});
}

}  // namespace app

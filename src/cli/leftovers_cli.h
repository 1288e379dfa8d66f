#pragma once
// The removal of found leftovers, shared by "leftovers TITLE --remove" and "uninstall TITLE
// --leftovers".

#include <vector>

#include "cli/commands.h"
#include "cli/console_sink.h"
#include "cli/output.h"
#include "uninstall/leftover.h"

namespace sw::cli {

// Removes the sure leftovers of `found` (the likely ones too with `likelyToo`) once
// confirmed, adding what it did to `result`, and prints it; the command's exit status.
int RemoveFound(CliContext& context, const GlobalOptions& options, ConsoleSink& sink,
                const std::vector<uninstall::Leftover>& found, bool likelyToo, CommandResult result);

}  // namespace sw::cli

#pragma once

#include "cli/CliContext.h"

struct ListBuildResult;

// Each command returns the process exit status.
int runTagCommand(CliContext& context, const QStringList& args);
int runProbeCommand(CliContext& context, const QStringList& args);
int runDecodeCommand(CliContext& context, const QStringList& args);
int runListCommand(CliContext& context, const QStringList& args);
int runGuessCommand(CliContext& context, const QStringList& args);
int runAddCommand(CliContext& context, const QStringList& args);
int runUserListCommand(CliContext& context, const QStringList& args);
int runParamsCommand(CliContext& context, const QStringList& args);
int runSearchCommand(CliContext& context, const QStringList& args);
int runEditCommand(CliContext& context, const QStringList& args);
int runRetagCommand(CliContext& context, const QStringList& args);
int runPlayCommand(CliContext& context, const QStringList& args);
int runExportHtmlCommand(CliContext& context, const QStringList& args);
int runCopyCommand(CliContext& context, const QStringList& args);
int runImportCommand(CliContext& context, const QStringList& args);
int runCheckCommand(CliContext& context, const QStringList& args);
int runTop10Command(CliContext& context, const QStringList& args);
int runFetchCommand(CliContext& context, const QStringList& args);
int runIsearchCommand(CliContext& context, const QStringList& args);
int runReindexCommand(CliContext& context, const QStringList& args);
int runDeleteCommand(CliContext& context, const QStringList& args);
int runShareCommand(CliContext& context, const QStringList& args);
int runCentralCommand(CliContext& context, const QStringList& args);

// The rows of a list one per line, then its status panels, as `list` prints them.
void printListRows(CliContext& context, const ListBuildResult& result, bool json);

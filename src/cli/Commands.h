#pragma once

#include "cli/CliContext.h"

// Each command returns the process exit status.
int runTagCommand(CliContext& context, const QStringList& args);
int runProbeCommand(CliContext& context, const QStringList& args);
int runDecodeCommand(CliContext& context, const QStringList& args);
int runListCommand(CliContext& context, const QStringList& args);
int runGuessCommand(CliContext& context, const QStringList& args);
int runAddCommand(CliContext& context, const QStringList& args);

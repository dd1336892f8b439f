#include "cli/Commands.h"

int runTagCommand(CliContext& context, const QStringList& args)
{
    Q_UNUSED(args);
    context.err << "tag: not available yet\n";
    return 2;
}

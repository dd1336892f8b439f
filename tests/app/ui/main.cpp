#include "app/ui/TamboroApplication.h"
#include "testsupport/TestMain.h"

// The program's windows are tested under the program's own application object, so that its
// last-resort error handling is the one in force, as when the program runs.
int main(int argc, char** argv)
{
    return runTests<TamboroApplication>(argc, argv);
}

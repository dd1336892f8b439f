#include "testsupport/TestMain.h"

#include <QApplication>

// The main of every test program that has none of its own: a plain QApplication. The linker
// takes this one from the support library only when the program defines no main.
int main(int argc, char** argv)
{
    return runTests<QApplication>(argc, argv);
}

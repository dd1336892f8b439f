#include "testsupport/ExceptionCases.h"

#include "platform/Errors.h"

#include <stdexcept>

const std::vector<ExceptionCase>& exceptionCases()
{
    static const std::vector<ExceptionCase> cases{
        {"OurError",
         [] { throw EInOutError(QStringLiteral("Cannot read \u201eCaf\u00e9\u201c.")); },
         QStringLiteral("Cannot read \u201eCaf\u00e9\u201c.")},
        {"StandardError", [] { throw std::runtime_error("The disk is full."); },
         QStringLiteral("The disk is full.")},
        {"SomethingElse", [] { throw 42; },
         QStringLiteral("The command stopped because of an unknown error."), false},
    };
    return cases;
}

#include "platform/Errors.h"

QString errorText(const std::exception_ptr& error, const QString& unknownText)
{
    if (!error)
        return QString();
    try {
        std::rethrow_exception(error);
    } catch (const TamboroError& e) {
        // Our own text, not what(): that holds it converted for the standard library only.
        return e.message();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return unknownText.isEmpty()
                   ? QStringLiteral("The command stopped because of an unknown error.")
                   : unknownText;
    }
}

#include "db/CaseFold.h"

#include <QByteArray>

#include <sqlite3.h>

namespace {

// Most stored text is ASCII: it is folded byte by byte without leaving the engine's UTF-8,
// which is the same as QString::toCaseFolded for those characters.
void caseFoldFunction(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (argc != 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* text = sqlite3_value_text(argv[0]);
    const int size = sqlite3_value_bytes(argv[0]);
    if (!text) {
        sqlite3_result_error_nomem(context);
        return;
    }

    bool ascii = true;
    bool upper = false;
    for (int i = 0; i < size; ++i) {
        const unsigned char c = text[i];
        if (c >= 0x80) {
            ascii = false;
            break;
        }
        upper = upper || (c >= 'A' && c <= 'Z');
    }
    if (ascii && !upper) {
        sqlite3_result_value(context, argv[0]);
        return;
    }
    try {
        if (ascii) {
            constexpr int stackSize = 256;
            char stack[stackSize];
            QByteArray heap;
            char* out = stack;
            if (size > stackSize) {
                heap.resize(size);
                out = heap.data();
            }
            for (int i = 0; i < size; ++i) {
                const unsigned char c = text[i];
                out[i] = char(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
            }
            sqlite3_result_text(context, out, size, SQLITE_TRANSIENT);
            return;
        }
        const QByteArray folded =
            CaseFold::fold(QString::fromUtf8(reinterpret_cast<const char*>(text), size)).toUtf8();
        sqlite3_result_text(context, folded.constData(), int(folded.size()), SQLITE_TRANSIENT);
    } catch (...) {
        // The engine is C: nothing may leave this function by an exception.
        sqlite3_result_error_nomem(context);
    }
}

} // namespace

namespace CaseFold {

QString fold(const QString& text)
{
    return text.toCaseFolded();
}

int installSqlFunction(sqlite3* engine)
{
    return sqlite3_create_function_v2(engine, sqlFunctionName, 1,
                                      SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                      nullptr, &caseFoldFunction, nullptr, nullptr, nullptr);
}

} // namespace CaseFold

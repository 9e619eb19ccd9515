#include "common/HandlerGuard.h"

#include "common/DbError.h"
#include "common/Prompts.h"

#include <exception>

QString currentExceptionText() {
    try {
        throw;
    } catch (const DbError& e) {
        return e.message();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unbekannter Fehler");
    }
}

bool runGuarded(Prompts& prompts, const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (...) {
        prompts.errorBox(currentExceptionText());
        return false;
    }
}

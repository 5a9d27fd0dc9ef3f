#include "widgets/Guard.h"

#include "base/UserError.h"

namespace kalvenor {

std::string ProgramFaultMessage(const std::string& detail) {
    return "Ошибка в программе Kalvenor: " + (detail.empty() ? "неизвестная ошибка" : detail) +
           ".\nВаши действия тут ни при чём. Работу можно продолжить; сообщите, пожалуйста, "
           "разработчикам, что вы делали перед этим.";
}

void ShowCurrentException(MessageBoxPort& messages) noexcept {
    std::string text;
    try {
        throw;
    } catch (const UserError& error) {
        text = error.what();
    } catch (const std::exception& error) {
        text = ProgramFaultMessage(error.what());
    } catch (...) {
        text = ProgramFaultMessage("");
    }
    try {
        messages.MessageBox(ErrorMessage(text));
    } catch (...) {
        // Nothing sensible is left to do when even the box fails.
    }
}

}  // namespace kalvenor

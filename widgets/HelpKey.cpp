#include "widgets/HelpKey.h"

#include "widgets/Guard.h"

#include <QShortcut>
#include <QWidget>

namespace kalvenor {

void InstallHelpKey(QWidget* window, const Context& context, int helpContext) {
    InstallHelpKey(window, context, [helpContext] { return helpContext; });
}

void InstallHelpKey(QWidget* window, const Context& context, std::function<int()> helpContext) {
    auto* key = new QShortcut(QKeySequence(Qt::Key_F1), window);
    key->setObjectName("HelpKey");
    key->setContext(Qt::WindowShortcut);
    MessageBoxPort& messages = context.messages;
    HelpViewer& help = context.help;
    QObject::connect(key, &QShortcut::activated, window,
                     [&messages, &help, helpContext = std::move(helpContext)] {
                         RunGuarded(messages, [&] { help.ShowHelp(helpContext()); });
                     });
}

}  // namespace kalvenor

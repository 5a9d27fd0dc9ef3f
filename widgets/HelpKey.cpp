#include "widgets/HelpKey.h"

#include "widgets/Guard.h"

#include <QShortcut>
#include <QWidget>

namespace kalvenor {

void InstallHelpKey(QWidget* window, const Context& context, HelpSection section) {
    InstallHelpKey(window, context, [section] { return section; });
}

void InstallHelpKey(QWidget* window, const Context& context, std::function<HelpSection()> section) {
    auto* key = new QShortcut(QKeySequence(Qt::Key_F1), window);
    key->setObjectName("HelpKey");
    key->setContext(Qt::WindowShortcut);
    MessageBoxPort& messages = context.messages;
    HelpViewer& help = context.help;
    QObject::connect(key, &QShortcut::activated, window,
                     [&messages, &help, section = std::move(section)] {
                         RunGuarded(messages, [&] { help.ShowHelp(section()); });
                     });
}

}  // namespace kalvenor

#include "calc/Stop.h"

#include "calc/InputEvents.h"

namespace kalvenor {

void ShowStop(const CalculationStop& stop, MainWindowPort& window, UserPort& user) {
    const StopEffects& effects = stop.Effects();
    const Answer answer = user.MessageBox(stop.Box());
    if (effects.offersBreakerDatabase && answer == Answer::Yes) {
        user.ShowBreakerDatabaseModal();
    }
    if (effects.restore) {
        window.SetText(effects.restore->first, effects.restore->second);
    }
    if (effects.focus) {
        window.SelectAndFocus(*effects.focus);
    }
    if (effects.clearsReport) {
        window.ClearReport();
    }
    if (effects.emptiesResults) {
        SetResults(window, "");
    }
}

}  // namespace kalvenor

#include "calc/Ports.h"

namespace kalvenor {

std::string_view ControlName(Control control) {
    switch (control) {
        case Control::Edit1:
            return "Edit1";
        case Control::Edit2:
            return "Edit2";
        case Control::Edit3:
            return "Edit3";
        case Control::Edit4:
            return "Edit4";
        case Control::Edit5:
            return "Edit5";
        case Control::Edit6:
            return "Edit6";
        case Control::Edit11:
            return "Edit11";
        case Control::Edit12:
            return "Edit12";
        case Control::Label6:
            return "Label6";
        case Control::Label8:
            return "Label8";
        case Control::Label21:
            return "Label21";
    }
    return {};
}

std::string_view ComboName(Combo combo) {
    switch (combo) {
        case Combo::ComboBox1:
            return "ComboBox1";
        case Combo::ComboBox2:
            return "ComboBox2";
        case Combo::ComboBox3:
            return "ComboBox3";
    }
    return {};
}

}  // namespace kalvenor

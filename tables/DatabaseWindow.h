#pragma once

#include "tables/Dataset.h"
#include "widgets/Context.h"

#include <QDialog>

class QGroupBox;
class QPushButton;

namespace kalvenor {

class DatasetGrid;
class DatasetNavigator;

// The breaker and the transformer database windows: their dataset in an
// editable grid with a navigator and a closing button, every field
// required. Closing only hides the window; the rows reach the file by
// write-back.
class DatabaseWindow : public QDialog {
    Q_OBJECT
public:
    struct Layout {
        const char* groupCaption;
        const char* gridName;
        const char* buttonCaption;
        int width;
        int height;
        int gridHeightMargin;  // subtracted from the grid's height
        bool enterCloses;      // the closing button is the default button
        PostRules rules;
        HelpSection helpSection;  // for F1
    };

    DatabaseWindow(const Context& context, Dataset& data, const Layout& layout);

    // Once the database is open: the grid refuses every edit when the folder
    // cannot be written or the database is bound to no file, instead of
    // accepting what it could not keep.
    void RefuseUnkeptEdits();
    // Shown by the calculation when no breaker fits: the user fills the
    // database before going on.
    void ShowModal();
    // A row still being typed is posted before the window goes; a row that
    // cannot be posted keeps it open.
    void done(int result) override;
    // The first showing opens the window large enough for every column's
    // title and ten rows, around the same centre.
    void setVisible(bool visible) override;
    QSize OpeningSize() const;

    Dataset& Data;
    QGroupBox* GroupBox1;
    DatasetGrid* Grid;
    DatasetNavigator* DBNavigator1;
    QPushButton* Button1;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

protected:
    const Context& context_;

private:
    int gridHeightMargin_;
    bool opened_ = false;
};

}  // namespace kalvenor

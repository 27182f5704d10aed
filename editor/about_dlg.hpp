#pragma once

#include <QDialog>

namespace quarn {

// Names the program and its version.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace quarn

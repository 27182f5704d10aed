#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

namespace quarn {

// Shows the document's version text for editing. The text is put into the
// field when the dialog opens and read back when the user confirms with OK.
class CVersionDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kVersionFieldId = 1238;

    explicit CVersionDlg(QWidget* parent = nullptr);

    void SetVersionText(const QString& text);
    const QString& VersionText() const { return version_; }

public slots:
    void accept() override;

private:
    QLineEdit* field_;
    QString version_;
};

}  // namespace quarn

#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

namespace quarn {

// The editor asks for a short host name; the converter takes any address.
enum class UploadDlgVariant { Editor, Converter };

// Asks for the controller's address and the upload password. The members
// go into the fields when the dialog shows and come back from them on OK;
// Cancel, Escape and the close box leave them as they were.
//
// Controls are named "control<id>": editor 1227 (address, at most 30
// characters typed) and 1228 (password); converter 1006 and 1007; "OK" 1,
// "Cancel" 2.
class CUploadDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kEditorResource = 131;
    static constexpr int kConverterResource = 129;
    static constexpr int kEditorUrlLimit = 30;
    static constexpr int kEditorUrlId = 1227;
    static constexpr int kEditorPasswordId = 1228;
    static constexpr int kConverterUrlId = 1006;
    static constexpr int kConverterPasswordId = 1007;

    explicit CUploadDlg(UploadDlgVariant variant, QWidget* parent = nullptr);

    UploadDlgVariant Variant() const { return variant_; }
    int UrlId() const;
    int PasswordId() const;
    QLineEdit* UrlField() const { return url_; }
    QLineEdit* PasswordField() const { return password_; }

    QString m_url;
    QString m_password;

    void setVisible(bool visible) override;

public slots:
    void accept() override;

private:
    UploadDlgVariant variant_;
    QLineEdit* url_ = nullptr;
    QLineEdit* password_ = nullptr;
};

// "Enter no more than <limit> characters."
QString TooManyCharactersText(int limit);

}  // namespace quarn

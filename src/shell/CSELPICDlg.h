#pragma once

#include <QDialog>

class QLineEdit;

namespace tavrel::shell {

// The number prompt of Go to block and Go to frame: "请输入数值：", a centred field that
// takes digits only, preset "1". OK copies the field into the result text, which outlives
// the dialog (one text for the process, overwritten by each OK).
class CSELPICDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSELPICDlg(QWidget* parent = nullptr);

    QLineEdit* Field() const { return field_; }
    static QString ResultText();

public slots:
    void accept() override;

private:
    QLineEdit* field_;
};

}  // namespace tavrel::shell

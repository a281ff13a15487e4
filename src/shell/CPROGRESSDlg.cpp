#include "CPROGRESSDlg.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include "ShellContext.h"
#include "ShellText.h"
#include "UiThread.h"

namespace tavrel::shell {

CPROGRESSDlg::CPROGRESSDlg(ShellContext& ctx, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), ctx_(ctx) {
    setModal(false);
    auto* label = new QLabel(QStringLiteral("当前进度："), this);
    text_ = new QLabel(this);
    text_->setObjectName(QStringLiteral("progressText"));
    bar_ = new QProgressBar(this);
    bar_->setTextVisible(false);
    bar_->setRange(0, 100);
    bar_->setValue(0);
    start_ = new QPushButton(QStringLiteral("开始"), this);
    start_->setDefault(true);
    abort_ = new QPushButton(QStringLiteral("中止"), this);
    connect(start_, &QPushButton::clicked, this, &CPROGRESSDlg::Start);
    connect(abort_, &QPushButton::clicked, this, &CPROGRESSDlg::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(text_, 0, 1, 1, 3);
    layout->addWidget(bar_, 1, 0, 1, 4);
    layout->addWidget(start_, 2, 0);
    layout->setColumnStretch(2, 1);
    layout->addWidget(abort_, 2, 3);
    setMinimumWidth(480);
}

CPROGRESSDlg::~CPROGRESSDlg() {
    if (!worker_.joinable()) return;
    // The worker may be waiting for the user-interface thread: keep serving it until it ends.
    ctx_.batch.abort_requested = true;
    while (!worker_done_) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    worker_.join();
    ctx_.batch.running = false;
}

void CPROGRESSDlg::Open(BatchMode mode) {
    OpenBatch(ctx_.session, ctx_.batch, mode);
    text_->clear();
    abort_->setEnabled(false);
    start_->setEnabled(true);
    show();
    QRect area =
        parentWidget() ? parentWidget()->window()->frameGeometry() : screen()->availableGeometry();
    move(area.center() - rect().center());
}

void CPROGRESSDlg::Start() {
    if (worker_.joinable()) return;
    if (ctx_.batch.mode == BatchMode::Export) abort_->setEnabled(true);
    start_->setEnabled(false);
    ctx_.batch.running = true;
    worker_ = std::thread([this] {
        BatchWorker(ctx_.session, ctx_.batch, *this);
        worker_done_ = true;
        QMetaObject::invokeMethod(
            this, [this] { OnWorkerFinished(); }, Qt::QueuedConnection);
    });
}

void CPROGRESSDlg::reject() { ctx_.batch.abort_requested = true; }

void CPROGRESSDlg::SetProgressText(const std::string& text) {
    RunOnUiThreadBlocking(this, [&] { text_->setText(ToQt(text)); });
}

void CPROGRESSDlg::SetRange(std::uint16_t maximum) {
    RunOnUiThreadBlocking(this, [&] { bar_->setRange(0, maximum); });
}

void CPROGRESSDlg::SetPosition(std::int32_t position) {
    RunOnUiThreadBlocking(this, [&] { bar_->setValue(position); });
}

void CPROGRESSDlg::Close() {
    RunOnUiThreadBlocking(this, [&] { done(QDialog::Accepted); });
}

void CPROGRESSDlg::OnWorkerFinished() {
    if (worker_.joinable()) worker_.join();
    ctx_.batch.running = false;
    hide();
    emit batchFinished();
}

}  // namespace tavrel::shell

#include "reader/ReadProgressDialog.h"

#include "module/ChangeNotify.h"
#include "pages/DialogControls.h"
#include "pages/PathLine.h"
#include "platform/com/ShellTypes.h"
#include "platform/ui/DialogUnits.h"
#include "ui_ReadProgressDialog.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMovie>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

namespace pellidor {

namespace {

constexpr const char* kProductName = "Pellidor";
constexpr int kAnimationId = 1011;
constexpr int kBitmapId = 1012;
// The path shown is the reader's latest, fetched at this pace: the reader
// names every folder, far more often than anyone can read.
constexpr int kPathMilliseconds = 50;

} // namespace

class CReadProgressDialog::Progress final : public CReadProgress {
public:
    ~Progress() = default;
};

void RunReadProgressDialog(const std::string& root)
{
    CReadProgressDialog dialog(root);
    dialog.exec();
}

CReadProgressDialog::CReadProgressDialog(std::string root, QWidget* owner)
    : QDialog(owner)
    , ui_(std::make_unique<Ui::ReadProgressDialog>())
    , root_(std::move(root))
    , progress_(std::make_unique<Progress>())
{
    ui_->setupUi(this);
    platform::ui::MapDialogGeometry(this);
    setWindowTitle(QString::fromUtf8(kProductName));
    setWindowIcon(ModuleIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    ui_->bitmap1012->setPixmap(QPixmap(QStringLiteral(":/pellidor/images/%1.png").arg(kBitmapId)));
    animation_ = new QMovie(QStringLiteral(":/pellidor/images/%1.gif").arg(kAnimationId), QByteArray(), this);
    ui_->id1000->setMovie(animation_);
    ui_->id1000->setAttribute(Qt::WA_TranslucentBackground);

    connect(ui_->id2, &QPushButton::clicked, this, &CReadProgressDialog::OnCancel);
    pathTimer_ = new QTimer(this);
    connect(pathTimer_, &QTimer::timeout, this, &CReadProgressDialog::ShowCurrentPath);
}

CReadProgressDialog::~CReadProgressDialog()
{
    // Also when the dialog was never shown or ended otherwise: no reader
    // outlives the progress it writes to.
    progress_->SetCancelled();
    reader_.wait();
}

bool CReadProgressDialog::IsCancelled() const
{
    return progress_->IsCancelled();
}

CPathLine* CReadProgressDialog::PathLine() const
{
    return ui_->id1022;
}

void CReadProgressDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!started_)
        StartReading();
}

void CReadProgressDialog::StartReading()
{
    started_ = true;
    animation_->start();
    reader_.SetProgress(progress_.get(), CReadThread::PostOkTo(this));
    reader_.SetRoot(root_);
    reader_.start();
    pathTimer_->start(kPathMilliseconds);
}

void CReadProgressDialog::ShowCurrentPath()
{
    const std::string path = progress_->CurrentPath();
    if (QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())) != ui_->id1022->Path())
        ui_->id1022->ShowPath(path);
}

LRESULT CReadProgressDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM)
{
    if (message != WM_COMMAND)
        return 0;
    const int id = static_cast<int>(wParam & 0xFFFF);
    if (id == kIdOk)
        OnOk();
    else if (id == kIdCancel)
        OnCancel();
    return 0;
}

void CReadProgressDialog::WaitForReader()
{
    if (!started_)
        return;
    QEventLoop loop;
    // Connected before the check, so an end in between is not missed.
    connect(&reader_, &QThread::finished, &loop, &QEventLoop::quit);
    if (!reader_.isFinished())
        loop.exec();
    reader_.wait();
    pathTimer_->stop();
}

void CReadProgressDialog::OnOk()
{
    if (ending_ != Ending::No)
        return;
    ending_ = Ending::Yes;
    // An OK before the reader is done (Enter) cancels the reading.
    progress_->SetCancelled();
    WaitForReader();
    NotifyCatalogsChanged();
    done(QDialog::Accepted);
}

void CReadProgressDialog::OnCancel()
{
    if (ending_ == Ending::Yes)
        return;
    ending_ = Ending::Yes;
    ui_->id2->setEnabled(false);
    animation_->stop();
    progress_->SetCancelled();
    WaitForReader();
    done(QDialog::Rejected);
}

void CReadProgressDialog::reject()
{
    OnCancel();
}

void CReadProgressDialog::closeEvent(QCloseEvent* event)
{
    // The dialog ends by done(), which closes it without coming here again.
    event->ignore();
    if (ending_ != Ending::No)
        return;
    ending_ = Ending::Closing;
    progress_->SetCancelled();
    WaitForReader();
    OnCancel();
}

void CReadProgressDialog::keyPressEvent(QKeyEvent* event)
{
    // Enter is the dialog's OK, though it shows no OK button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OnOk();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace pellidor

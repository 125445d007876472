#include "db/forms/ConversionProgress.h"

#include "db/JetHeader.h"
#include "jet/ConversionMessages.h"

#include <QCloseEvent>
#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

namespace velmora::db {

namespace {

// A conversion over within this time shows no dialog (what the user types meanwhile waits for it).
constexpr int kQuietMilliseconds = 400;
constexpr int kBarSteps = 1000;

// The progress dialog. Cancel, Escape and the window's close button only ask the conversion to stop;
// the dialog stays, holding the rest of the program, until it has stopped. (QProgressDialog hides
// itself at the first Cancel, and its setValue() lets events through; neither may happen while the
// folder is still being changed.)
class ProgressDialog : public QDialog {
public:
    ProgressDialog(const std::string& fileName, std::function<void()> cancel, QWidget* parent)
        : QDialog(parent)
        , fileName_(QString::fromStdString(fileName))
        , cancel_(std::move(cancel)) {
        setObjectName("ConversionProgress");
        setWindowTitle("Converting " + fileName_);
        setWindowModality(Qt::ApplicationModal);
        status_ = new QLabel("Reading " + fileName_ + "...", this);
        status_->setObjectName("Status");
        status_->setMinimumWidth(status_->fontMetrics().averageCharWidth() * 60);
        status_->setWordWrap(true);
        bar_ = new QProgressBar(this);
        bar_->setObjectName("Progress");
        bar_->setRange(0, 0); // busy until the number of rows is known
        cancelButton_ = new QPushButton("Cancel", this);
        cancelButton_->setObjectName("Cancel");
        cancelButton_->setAutoDefault(false);
        connect(cancelButton_, &QPushButton::clicked, this, [this] { requestCancel(); });
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(status_);
        layout->addWidget(bar_);
        layout->addWidget(cancelButton_, 0, Qt::AlignRight);
    }

    // Both phases, reading and checking, take half of the bar.
    void showProgress(const jet::Progress& progress) {
        if (cancelling_ || progress.total <= 0)
            return;
        const bool reading = progress.phase == jet::Progress::Phase::Reading;
        const std::int64_t done = std::min(progress.done, progress.total) + (reading ? 0 : progress.total);
        bar_->setRange(0, kBarSteps);
        bar_->setValue(static_cast<int>(done * kBarSteps / (2 * progress.total)));
        const QString counted = QString::number(std::min(progress.done, progress.total)) + " of " +
                                QString::number(progress.total);
        status_->setText(reading ? "Converting " + fileName_ + ": " + counted + " rows read"
                                 : "Checking the converted copy of " + fileName_ +
                                       " against the original: " + counted + " rows compared");
    }

protected:
    void reject() override { requestCancel(); }
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        requestCancel();
    }

private:
    void requestCancel() {
        if (cancelling_)
            return;
        cancelling_ = true;
        cancel_();
        cancelButton_->setEnabled(false);
        status_->setText("Cancelling the conversion of " + fileName_ + "...");
    }

    QString fileName_;
    std::function<void()> cancel_;
    bool cancelling_ = false;
    QLabel* status_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

// Carries the converting thread's reports to the thread of the dialog, in order; of the progress
// reports only the latest counts, so a fast conversion does not flood the event queue.
class Relay : public QObject {
public:
    std::function<void(const jet::Progress&)> onProgress;
    std::function<void()> onFinished;

    // On the converting thread.
    void post(const jet::Progress& progress) {
        {
            std::lock_guard lock(mutex_);
            latest_ = progress;
        }
        if (!pending_.exchange(true))
            QMetaObject::invokeMethod(
                this, [this] { deliver(); }, Qt::QueuedConnection);
    }
    void finish() {
        QMetaObject::invokeMethod(
            this, [this] { onFinished(); }, Qt::QueuedConnection);
    }

private:
    void deliver() {
        pending_ = false;
        jet::Progress progress;
        {
            std::lock_guard lock(mutex_);
            progress = latest_;
        }
        onProgress(progress);
    }

    std::mutex mutex_;
    jet::Progress latest_;
    std::atomic<bool> pending_{false};
};

} // namespace

jet::ConversionResult convertWithProgress(const std::filesystem::path& file, jet::FileKind kind,
                                          jet::ConvertOptions options, QWidget* parent) {
    std::atomic<bool> cancelRequested{false};
    ProgressDialog dialog(
        file.filename().string(), [&] { cancelRequested = true; }, parent);
    QEventLoop loop;
    bool finished = false;
    Relay relay;
    relay.onProgress = [&](const jet::Progress& progress) { dialog.showProgress(progress); };
    relay.onFinished = [&] {
        finished = true;
        loop.quit();
    };
    options.progress = [&](const jet::Progress& progress) {
        relay.post(progress);
        return !cancelRequested;
    };

    jet::ConversionResult result;
    {
        std::jthread worker([&] {
            try {
                result = jet::convertInPlace(file, kind, options);
            } catch (const std::exception& error) {
                // No memory left, most likely; an exception leaving the thread would end the program.
                result = {};
                result.status =
                    Status::failure(file.filename().string() + " cannot be converted: " + error.what() + ".");
            }
            relay.finish();
        });
        QTimer::singleShot(kQuietMilliseconds, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        if (!finished) {
            dialog.show();
            while (!finished)
                loop.exec();
            dialog.hide();
        }
    } // the converting thread has ended here
    return result;
}

ConversionOutcome offerConversion(Dialogs& dialogs, const std::filesystem::path& file, jet::FileKind kind,
                                  const jet::ConvertOptions& options, const std::string& afterFailure,
                                  QWidget* parent) {
    auto failed = [&](const Status& status, DialogIcon icon) {
        std::string text = jet::conversionFailed(file, status);
        if (!afterFailure.empty())
            text += "\n\n" + afterFailure;
        dialogs.show({text, {}, DialogButtons::Ok, icon});
        return ConversionOutcome::Failed;
    };
    if (const auto header = db::inspectJetFile(file); !header)
        return failed(header.status(), DialogIcon::Exclamation);
    if (!dialogs.askYesNo(jet::conversionQuestion(file, kind), {}, DialogIcon::Question, DialogAnswer::Yes))
        return ConversionOutcome::Declined;
    const jet::ConversionResult result = convertWithProgress(file, kind, options, parent);
    if (!result.ok())
        return failed(result.status, result.cancelled ? DialogIcon::Information : DialogIcon::Exclamation);
    dialogs.show({jet::conversionSucceeded(file, result), {}, DialogButtons::Ok, DialogIcon::Information});
    return ConversionOutcome::Converted;
}

} // namespace velmora::db

// "Файл → Раскрой на листах…": copies of the confirmed hood nested on stock
// sheets through the same library as `kiv nest`, the search off the
// window's thread.
#include "app/TQMRZL.h"
#include "app/TQMRZLParts.h"

#include "app/FileDialogs.h"
#include "app/NestDialog.h"
#include "export/ShopDrawing.h"
#include "road/Road.h"
#include "sheets/NestFiles.h"

#include <QDir>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

using form1::FromUtf8;

void TForm1::NestSheetsClick() {
    guarded([&] {
        int type = 0;
        if (!confirmedPattern(type))
            return;
        if (nestDialog_ != nullptr && nestDialog_->isVisible()) {
            nestDialog_->raise();
            return;
        }
        nestDialog_ = new NestDialog(this, *dialogs_, QDir::currentPath());
        nestDialog_->setAttribute(Qt::WA_DeleteOnClose);
        connect(nestDialog_, &NestDialog::runRequested, this, &TForm1::runNest);
        // Window-modal but not a loop of its own: the hood stays confirmed
        // while the dialog is open, and tests drive it with real events.
        nestDialog_->open();
    });
}

namespace {

// Runs `work` on a thread of its own while the window's event loop goes on,
// so that the window never stands still while the work lasts; every 50 ms
// `show` brings the progress dialog up to date. Returns once the work has
// ended, with what it threw.
void OffTheWindowsThread(QProgressDialog& progress, const std::function<void()>& work,
                         const std::function<void()>& show) {
    std::atomic<bool> finished{false};
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        finished = true;
    });
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (finished) {
            loop.quit();
            return;
        }
        show();
    });
    poll.start();
    progress.show();
    loop.exec();
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}

QString StepText(const std::string& what, int done, int planned) {
    return FromUtf8(what) + QString::fromUtf8(": шаг ") + QString::number(done) +
           QString::fromUtf8(" из ") + QString::number(planned);
}

} // namespace

// What the worker thread reports and the window shows.
struct TForm1::NestProgress {
    std::mutex mutex;
    std::string what;
    int done = 0, planned = 0;
    std::atomic<bool> cancel{false};
    std::unique_ptr<QProgressDialog> dialog;
};

void TForm1::runNest() {
    guarded([&] {
        int type = 0;
        if (!confirmedPattern(type) || nestDialog_ == nullptr)
            return;
        NestRequest request;
        QString error;
        if (!nestDialog_->read(request, error)) {
            plainMessage(error);
            return;
        }
        // The confirmed hood's drawing, from a copy: the window's state stays
        // as it is.
        kiv::RaschetData copy = RaschetData;
        const kiv::Confirmation c = kiv::Confirm(copy, type, fieldTexts());
        if (c.outcome != kiv::Outcome::Confirmed) {
            messages_.show(Messages::Kind::Error, title_,
                           FromUtf8(kiv::NotWrittenText("раскрой")));
            return;
        }
        QString name = scriptName(type);
        if (name.endsWith(QStringLiteral(".scr")))
            name.chop(4);
        const std::vector<kiv::sheets::Hood> hoods = {
            {1, name.toStdString(), "зонт " + name.toStdString(), copy.S, request.copies,
             c.drawing}};

        NestProgress progress;
        progress.dialog = makeNestProgress();
        kiv::sheets::NestedOrder nested;
        if (!searchWithProgress(hoods, request, nested, progress))
            return; // cancelled: nothing written, the dialog stays for another try
        if (!nested.refusal.empty()) {
            progress.dialog.reset();
            plainMessage(QString::fromUtf8("Раскрой не построен:\r") + FromUtf8(nested.refusal));
            return;
        }
        const QString folder = QDir(request.folder).absolutePath();
        std::string fault;
        std::vector<std::string> failures;
        if (!writeWithProgress(nested, QDir::toNativeSeparators(folder).toStdString(), fault,
                               failures, progress))
            return; // cancelled while the sheets were painted: nothing written
        progress.dialog.reset();
        if (!fault.empty()) {
            messages_.show(Messages::Kind::Error, title_, FromUtf8(fault));
            return;
        }
        if (!failures.empty()) {
            QString text = QString::fromUtf8("Раскрой не записан:");
            for (const std::string& f : failures)
                text += QLatin1Char('\r') + FromUtf8(f);
            plainMessage(text);
            return;
        }
        QString text = QString::fromUtf8("Раскрой записан.\r") +
                       FromUtf8(kiv::sheets::DoneText(nested)) +
                       QString::fromUtf8("\rПапка: ") + QDir::toNativeSeparators(folder);
        for (const kiv::sheets::Group& g : nested.groups) {
            if (g.layout.stopped) {
                text += QString::fromUtf8("\rПоиск остановлен по времени: раскрой может быть "
                                          "не лучшим.");
                break;
            }
        }
        if (nestDialog_ != nullptr)
            nestDialog_->accept();
        plainMessage(text);
    });
}

std::unique_ptr<QProgressDialog> TForm1::makeNestProgress() {
    // Over the nesting dialog, so that neither it nor the window takes input
    // while the search runs.
    QWidget* over = nestDialog_ != nullptr ? static_cast<QWidget*>(nestDialog_) : this;
    auto progress = std::make_unique<QProgressDialog>(QString::fromUtf8("Раскрой…"),
                                                      QString::fromUtf8("Отменить"), 0, 1000, over);
    progress->setObjectName(QStringLiteral("NestProgress"));
    progress->setAccessibleName(QString::fromUtf8("Ход раскроя"));
    progress->setWindowTitle(title_);
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(0);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setValue(0);
    return progress;
}

bool TForm1::searchWithProgress(const std::vector<kiv::sheets::Hood>& hoods,
                                const NestRequest& request, kiv::sheets::NestedOrder& out,
                                NestProgress& shared) {
    QProgressDialog& progress = *shared.dialog;
    const kiv::sheets::ProgressFor progressFor = [&shared](const std::string& what) {
        return [&shared, what](int done, int planned) {
            const std::lock_guard<std::mutex> lock(shared.mutex);
            shared.what = what;
            shared.done = done;
            shared.planned = planned;
            return !shared.cancel.load();
        };
    };
    const QMetaObject::Connection cancel = connect(&progress, &QProgressDialog::canceled, this, [&] {
        shared.cancel = true;
        progress.setLabelText(QString::fromUtf8("Остановка…"));
    });
    if (progress.wasCanceled()) // pressed while the dialog was being set up
        shared.cancel = true;
    kiv::sheets::NestedOrder result;
    OffTheWindowsThread(
        progress,
        [&] {
            result = kiv::sheets::NestOrder(hoods, request.stock, request.options, progressFor,
                                            [&shared] { return shared.cancel.load(); });
        },
        [&] {
            const std::lock_guard<std::mutex> lock(shared.mutex);
            if (!shared.cancel && shared.planned > 0) {
                progress.setLabelText(StepText(shared.what, shared.done, shared.planned));
                progress.setValue(1000 * shared.done / shared.planned);
            }
        });
    disconnect(cancel);
    if (shared.cancel || result.cancelled)
        return false;
    out = std::move(result);
    return true;
}

bool TForm1::writeWithProgress(const kiv::sheets::NestedOrder& nested, const std::string& folder,
                               std::string& fault, std::vector<std::string>& failures,
                               NestProgress& shared) {
    // Once the files are being written they are written whole or not at
    // all, so a cancel that comes later has nothing left to stop.
    static const std::string kSaving = "Запись файлов";
    QProgressDialog& progress = *shared.dialog;
    {
        const std::lock_guard<std::mutex> lock(shared.mutex);
        shared.what = "Листы PDF";
        shared.done = 0;
        shared.planned = 0;
    }
    // Connected first: setting a modal progress dialog's value runs the
    // event loop, and a cancel pressed then must not be lost.
    const QMetaObject::Connection cancel = connect(&progress, &QProgressDialog::canceled, this, [&] {
        const std::lock_guard<std::mutex> lock(shared.mutex);
        if (shared.what == kSaving)
            return;
        shared.cancel = true;
        progress.setLabelText(QString::fromUtf8("Остановка…"));
    });
    progress.setLabelText(QString::fromUtf8("Листы PDF…"));
    progress.setValue(0);
    bool wrote = false, saving = false;
    OffTheWindowsThread(
        progress,
        [&] {
            std::vector<kiv::sheets::OutputFile> files;
            const bool made =
                kiv::sheets::OrderFiles(nested, files, fault, [&shared](int page, int pages) {
                    const std::lock_guard<std::mutex> lock(shared.mutex);
                    shared.done = page;
                    shared.planned = pages;
                    return !shared.cancel.load();
                });
            if (!made)
                return;
            {
                const std::lock_guard<std::mutex> lock(shared.mutex);
                if (shared.cancel)
                    return;
                shared.what = kSaving;
            }
            wrote = true;
            kiv::sheets::WriteOrderFiles(folder, files, nested.sheets, failures);
        },
        [&] {
            const std::lock_guard<std::mutex> lock(shared.mutex);
            if (shared.what == kSaving) {
                if (!saving) {
                    saving = true;
                    progress.setCancelButtonText(QString());
                    progress.setLabelText(QString::fromUtf8("Запись файлов…"));
                    progress.setValue(1000);
                }
            } else if (!shared.cancel && shared.planned > 0) {
                progress.setLabelText(QString::fromUtf8("Листы PDF: страница ") +
                                      QString::number(shared.done) + QString::fromUtf8(" из ") +
                                      QString::number(shared.planned));
                progress.setValue(1000 * shared.done / shared.planned);
            }
        });
    disconnect(cancel);
    return wrote || !shared.cancel;
}

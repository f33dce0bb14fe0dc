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

        kiv::sheets::NestedOrder nested;
        if (!searchWithProgress(hoods, request, nested))
            return; // cancelled: nothing written, the dialog stays for another try
        if (!nested.refusal.empty()) {
            plainMessage(QString::fromUtf8("Раскрой не построен:\r") + FromUtf8(nested.refusal));
            return;
        }
        std::vector<kiv::sheets::OutputFile> files;
        std::string fault;
        if (!kiv::sheets::OrderFiles(nested, files, fault)) {
            messages_.show(Messages::Kind::Error, title_, FromUtf8(fault));
            return;
        }
        std::vector<std::string> failures;
        const QString folder = QDir(request.folder).absolutePath();
        if (!kiv::sheets::WriteOrderFiles(QDir::toNativeSeparators(folder).toStdString(), files,
                                          nested.sheets, failures)) {
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

bool TForm1::searchWithProgress(const std::vector<kiv::sheets::Hood>& hoods,
                                const NestRequest& request, kiv::sheets::NestedOrder& out) {
    // What the search thread reports and the window shows.
    struct Shared {
        std::mutex mutex;
        std::string what;
        int done = 0, planned = 0;
        std::atomic<bool> cancel{false}, finished{false};
    };
    const auto shared = std::make_shared<Shared>();
    const kiv::sheets::ProgressFor progressFor = [shared](const std::string& what) {
        return [shared, what](int done, int planned) {
            const std::lock_guard<std::mutex> lock(shared->mutex);
            shared->what = what;
            shared->done = done;
            shared->planned = planned;
            return !shared->cancel.load();
        };
    };

    // Over the nesting dialog, so that neither it nor the window takes input
    // while the search runs.
    QWidget* over = nestDialog_ != nullptr ? static_cast<QWidget*>(nestDialog_) : this;
    QProgressDialog progress(QString::fromUtf8("Раскрой…"), QString::fromUtf8("Отменить"), 0,
                             1000, over);
    progress.setObjectName(QStringLiteral("NestProgress"));
    progress.setAccessibleName(QString::fromUtf8("Ход раскроя"));
    progress.setWindowTitle(title_);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setValue(0);

    kiv::sheets::NestedOrder result;
    std::exception_ptr failure;
    std::thread search([&, shared] {
        try {
            result = kiv::sheets::NestOrder(hoods, request.stock, request.options, progressFor,
                                            [shared] { return shared->cancel.load(); });
        } catch (...) {
            failure = std::current_exception();
        }
        shared->finished = true;
    });

    QEventLoop loop;
    QTimer poll;
    poll.setInterval(50);
    connect(&progress, &QProgressDialog::canceled, &loop, [&] {
        shared->cancel = true;
        progress.setLabelText(QString::fromUtf8("Остановка…"));
    });
    connect(&poll, &QTimer::timeout, &loop, [&] {
        if (shared->finished) {
            loop.quit();
            return;
        }
        const std::lock_guard<std::mutex> lock(shared->mutex);
        if (!shared->cancel && shared->planned > 0) {
            progress.setLabelText(FromUtf8(shared->what) + QString::fromUtf8(": шаг ") +
                                  QString::number(shared->done) + QString::fromUtf8(" из ") +
                                  QString::number(shared->planned));
            progress.setValue(1000 * shared->done / shared->planned);
        }
    });
    poll.start();
    progress.show();
    loop.exec();
    search.join();
    progress.hide();
    if (failure)
        std::rethrow_exception(failure);
    if (shared->cancel || result.cancelled)
        return false;
    out = std::move(result);
    return true;
}

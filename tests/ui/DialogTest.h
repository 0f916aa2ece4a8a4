// A control with its window and a registry of the test's own, the dialogs linked in and shown on the
// offscreen platform, and the user's hand: actions run on a modal dialog once it is up.
#pragma once
#include <QAbstractButton>
#include <QApplication>
#include <QTabWidget>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "control/ControlFixture.h"
#include "control/UiHooks.h"
#include "ui/PropertyFrameEntry.h"
#include "ui/SetupPropertySheet.h"

namespace aldra::testing {

inline void EnsureOffscreenApplication() {
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() != nullptr) return;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    new QApplication(argc, argv);
}

// Runs `act` on the modal dialog named `name` as soon as it is the active modal widget.
inline void WhenShown(const QString& name, std::function<void(QWidget*)> act) {
    auto* timer = new QTimer();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, name, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal->objectName() != name) return;
        timer->stop();
        timer->deleteLater();
        act(modal);
    });
    timer->start();
}

// On the page of the chosen tab: pages share identifiers.
template <class Control>
Control* Find(QWidget* dialog, int id) {
    auto* tabs = dialog->findChild<QTabWidget*>();
    QWidget* page = tabs != nullptr && tabs->currentWidget() != nullptr ? tabs->currentWidget() : dialog;
    return page->findChild<Control*>(QString::number(id));
}

inline void Click(QWidget* dialog, const char* name) {
    dialog->findChild<QAbstractButton*>(name)->click();
}

// Saved for a person to look at; the test does not judge the picture.
inline void SavePicture(QWidget* window, const std::string& name) {
    std::filesystem::create_directories(ALDRA_PICTURES_DIR);
    window->grab().save(QString::fromStdString(std::string(ALDRA_PICTURES_DIR) + "/" + name + ".png"));
}

class DialogTest : public ControlTest {
  protected:
    void SetUp() override {
        EnsureOffscreenApplication();
        RegisterFilterPropertyPages();
        CurrentUiHooks().runSetupSheet = &RunSetupSheet;
        CurrentUiHooks().showPropertyFrame = &ShowFilterPropertyFrame;
        ControlTest::SetUp();
    }
};

}  // namespace aldra::testing

#pragma once

// A whole program on the offscreen platform: the fifteen windows, scripted
// prompts, and a simulated meter on a pseudo-terminal behind COM2 (the
// default port), in a scratch working directory.
#include "app/app_windows.h"
#include "app/auto_msg_form.h"
#include "app/core/acquisition_cycle.h"
#include "app/core/link_state.h"
#include "app/form_main.h"
#include "app/core/global_state.h"
#include "meter/sim/pty_meter_host.h"
#include "support/meter_script.h"
#include "support/scripted_prompt_service.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace vt640::test {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto base = std::filesystem::temp_directory_path()
                          / ("vt640-shell-" + std::to_string(::getpid()) + "-"
                             + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(base);
        std::filesystem::create_directories(base / "config/vt640/ports");
        scratch_ = base;
        oldDir_ = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(base.string()));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((base / "config").string()));

        host_ = std::make_unique<sim::PtyMeterHost>([this] { return meter_.frame(); });
        ASSERT_TRUE(host_->start());
        ASSERT_TRUE(host_->placeLink(base / "config/vt640/ports/COM2"));
    }

    void TearDown() override
    {
        windows_.reset();
        host_.reset();
        QDir::setCurrent(oldDir_);
        qunsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(scratch_);
    }

    // Starts the program; `settings` (if any) is written as KORUDL.ini first.
    // `file` is the logger file named on the command line.
    void startProgram(const std::string& settings = {}, const QString& file = {})
    {
        if (!settings.empty()) {
            std::FILE* f = std::fopen("KORUDL.ini", "wb");
            std::fputs(settings.c_str(), f);
            std::fclose(f);
        }
        AppWindows::Options options;
        options.openFile = file;
        windows_ = std::make_unique<AppWindows>(state_, prompts_, options);
        windows_->showStartupWindows();
    }

    TFormMain& main() { return *windows_->formMain(); }
    AcquisitionCycle& cycle() { return windows_->cycle(); }
    LinkState& link() { return windows_->link(); }

    // Scripts the self-closing dialog: every call answers `result` and is
    // recorded.
    void scriptAutoMessages(AcquisitionCycle::AutoMessageResult result)
    {
        autoResult_ = result;
        cycle().setAutoMessage([this](const QString& caption, const QString& l1, const QString& l2, const QString& l3) {
            autoMessages_.push_back({caption, l1, l2, l3});
            return autoResult_;
        });
    }

    // Waits until the meter has answered the purge that opening the port
    // makes, so that counts taken afterwards see only the program's polls.
    // A fixed short wait is not enough on a busy machine.
    void waitForTheOpenToBeAnswered()
    {
        ASSERT_TRUE(QTest::qWaitFor([this] { return host_->framesSent() >= 1; }, 5000));
        QTest::qWait(50);
    }

    // Runs one tick at once, as the timer would.
    void tick() { cycle().TimerGetSdTimer(); }

    // Makes the exchange give up quickly when the meter is silent.
    void fastTimeouts() { setMeterPortTimeouts(state_.meterPort.get(), 50, nullptr); }

    std::filesystem::path scratch_;
    QString oldDir_;
    MeterScript meter_;
    std::unique_ptr<sim::PtyMeterHost> host_;
    GlobalState state_;
    ScriptedPromptService prompts_;
    std::unique_ptr<AppWindows> windows_;
    AcquisitionCycle::AutoMessageResult autoResult_ = AcquisitionCycle::AutoMessageResult::Continue;
    std::vector<QStringList> autoMessages_;
};

} // namespace vt640::test

#pragma once

#include <QFutureWatcher>
#include <atomic>
#include <functional>
#include <memory>

#include "app/skin/DialogTemplate.h"
#include "app/skin/SkinnedDialog.h"
#include "proxypool/WhatIsMyIp.h"

namespace veilport::proxypool::ui {

// "What is my IP?": the user's real address, the address web sites see now
// (through the Gateway while anonymity is on) and its anonymity level, as
// the judge reports them. The question goes out off the window thread; the
// window shows that it is asking meanwhile, and closing it forgets the
// answer.
class MyAddressDialog : public skin::SkinnedDialog {
    Q_OBJECT

public:
    static constexpr int kRealId = 1101;
    static constexpr int kSeenId = 1102;
    static constexpr int kLevelId = 1103;
    static constexpr int kCountryId = 1104;
    static constexpr int kStateId = 1105;
    static constexpr int kOkId = 1;

    using LookUp = std::function<MyAddress(const inet::CancelCheck& cancelled)>;

    // lookUp empty: the judge the settings name, along the browsers' route.
    explicit MyAddressDialog(QWidget* parent = nullptr, LookUp lookUp = {});
    ~MyAddressDialog() override;

    // Asks again; ignored while a question is out.
    void ask();
    bool asking() const { return watcher_ != nullptr; }

    const skin::DialogTemplate& controls() const { return controls_; }

signals:
    void answered(bool ok);

public slots:
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void forget();
    void showAnswer(const MyAddress& found);

    skin::DialogTemplate controls_;
    LookUp lookUp_;
    QFutureWatcher<MyAddress>* watcher_ = nullptr;
    std::shared_ptr<std::atomic<bool>> abandon_;
};

}  // namespace veilport::proxypool::ui

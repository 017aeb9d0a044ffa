// The Quorelle menu built on an in-memory Outlook, through the connection entry point.
#include "BasMenus.h"
#include "check.h"
#include "Connection.h"
#include "FakeOutlook.h"
#include "FakeRegistry.h"

using tabrix::ConnectPreferencesMenu;
using tabrix::Value;

namespace {

const std::vector<std::u16string> kOutlookMenus = {u"&File",  u"&Edit",    u"&View", u"&Go",
                                                   u"&Tools", u"&Actions", u"&Help", u"Ad&d-ins"};

fake::Registry withAddress(const std::u16string& address) {
    fake::Registry reg;
    reg.setString(tabrix::kPreferencesKey, tabrix::kPreferencesValue, address);
    return reg;
}

std::vector<std::u16string> captions(const fake::Bar& bar) {
    std::vector<std::u16string> out;
    for (auto& c : bar.controls->items)
        out.push_back(c->caption);
    return out;
}

void shortOrMissingAddressLeavesOutlookAlone() {
    auto app = fake::makeOutlook(kOutlookMenus);
    fake::Registry none;
    CHECK(!ConnectPreferencesMenu(app, none));
    CHECK(app->journal->calls.empty());

    fake::Registry seven = withAddress(u"http://");
    CHECK(!ConnectPreferencesMenu(app, seven));
    CHECK(app->journal->calls.empty());

    // A NUL inside the value cuts the address short.
    fake::Registry cut = withAddress(std::u16string(u"http://\0server/prefs", 20));
    ConnectPreferencesMenu(app, cut);
    CHECK(app->journal->calls.empty());
    CHECK(captions(*fake::menuBar(*app)) == kOutlookMenus);
}

void eightCharactersAddTheMenuSeventhOfNine() {
    auto app = fake::makeOutlook(kOutlookMenus);
    fake::Registry reg = withAddress(u"http://x");
    CHECK(ConnectPreferencesMenu(app, reg));

    auto bar = fake::menuBar(*app);
    std::vector<std::u16string> expected = kOutlookMenus;
    expected.insert(expected.begin() + 6, u"&Quorelle");
    CHECK(captions(*bar) == expected);

    // Add(Type 10, Id, Parameter, Before n - 1, Temporary true)
    CHECK_EQ(bar->controls->addCalls.size(), 1u);
    const auto& add = bar->controls->addCalls.at(0);
    CHECK_EQ(add.size(), 5u);
    CHECK(add[0].kind == Value::Kind::Long && add[0].number == 10);
    CHECK(add[1].kind == Value::Kind::Missing);
    CHECK(add[2].kind == Value::Kind::Missing);
    CHECK(add[3].kind == Value::Kind::Long && add[3].number == 7);
    CHECK(add[4].kind == Value::Kind::Bool && add[4].boolean);

    auto popup = bar->controls->items.at(6);
    CHECK_EQ(popup->type, 10);
    CHECK(popup->temporary);
    CHECK(popup->tag == u"QuorelleMsgTag");
    CHECK_EQ(popup->controls->items.size(), 1u);

    auto button = popup->controls->items.at(0);
    CHECK_EQ(button->type, 1);
    CHECK(popup->controls->addCalls.at(0)[3].kind == Value::Kind::Missing); // at the end
    CHECK(button->beginGroup);
    CHECK(button->caption == u"Messaging Preferences");
    CHECK(button->tag == u"Preferences");
    CHECK_EQ(button->faceId, 1015);
    CHECK_EQ(button->hyperlinkType, 1);
    CHECK(button->tooltip == u"http://x");
    CHECK_EQ(button->style, 3);
    std::vector<std::u16string> order = {u"BeginGroup",    u"Caption",     u"Tag",  u"FaceId",
                                         u"HyperlinkType", u"TooltipText", u"Style"};
    CHECK(button->putOrder == order);
}

void secondConnectionAddsNothing() {
    auto app = fake::makeOutlook(kOutlookMenus);
    fake::Registry first = withAddress(u"http://server/prefs");
    ConnectPreferencesMenu(app, first);
    fake::Registry second = withAddress(u"http://elsewhere/prefs");
    ConnectPreferencesMenu(app, second);

    auto bar = fake::menuBar(*app);
    CHECK_EQ(bar->controls->items.size(), 9u);
    CHECK_EQ(bar->controls->addCalls.size(), 1u);
    auto popup = bar->controls->items.at(6);
    CHECK_EQ(popup->controls->items.size(), 1u);
    CHECK(popup->controls->items.at(0)->tooltip == u"http://server/prefs");
    // The existing menu is looked up by its tag.
    CHECK_EQ(bar->findCalls.size(), 1u);
    CHECK(bar->findCalls.at(0).size() >= 3 && bar->findCalls.at(0)[2].text == u"QuorelleMsgTag");
}

void captionsCompareExactly() {
    auto menus = kOutlookMenus;
    menus.insert(menus.begin() + 2, u"&quorelle");
    auto app = fake::makeOutlook(menus);
    CHECK(!tabrix::BasMenus::MenuExists(*app, u"Menu Bar", u"&Quorelle"));
    CHECK(tabrix::BasMenus::MenuExists(*app, u"Menu Bar", u"&quorelle"));
    CHECK(tabrix::BasMenus::MenuExists(*app, u"Menu Bar", u"Ad&d-ins"));
    CHECK(!tabrix::BasMenus::MenuExists(*app, u"Menu Bar", u"Ad&d-in"));

    fake::Registry reg = withAddress(u"http://server/prefs");
    ConnectPreferencesMenu(app, reg);
    CHECK_EQ(fake::menuBar(*app)->controls->items.size(), 10u);
    CHECK(fake::menuBar(*app)->controls->items.at(7)->caption == u"&Quorelle");
}

void numbersServeAsAddresses() {
    auto app = fake::makeOutlook(kOutlookMenus);
    fake::Registry reg;
    reg.setDword(tabrix::kPreferencesKey, tabrix::kPreferencesValue, 1234567);
    ConnectPreferencesMenu(app, reg);
    CHECK(app->journal->calls.empty());
    reg.setDword(tabrix::kPreferencesKey, tabrix::kPreferencesValue, 12345678);
    ConnectPreferencesMenu(app, reg);
    auto popup = fake::menuBar(*app)->controls->items.at(6);
    CHECK(popup->controls->items.at(0)->tooltip == u"12345678");
}

void failuresEndSilently() {
    fake::Registry reg = withAddress(u"http://server/prefs");

    auto noExplorer = fake::makeOutlook(kOutlookMenus);
    auto bar = fake::menuBar(*noExplorer);
    noExplorer->explorer.reset();
    CHECK(ConnectPreferencesMenu(noExplorer, reg));
    CHECK(captions(*bar) == kOutlookMenus);

    auto noMenuBar = fake::makeOutlook(kOutlookMenus);
    noMenuBar->explorer->bars->items.at(1)->name = u"Menu bar";
    ConnectPreferencesMenu(noMenuBar, reg);
    CHECK(captions(*noMenuBar->explorer->bars->items.at(1)) == kOutlookMenus);

    // An empty menu bar has no position n - 1: Office refuses it, nothing is added.
    auto empty = fake::makeOutlook({});
    ConnectPreferencesMenu(empty, reg);
    CHECK(fake::menuBar(*empty)->controls->items.empty());

    // A refusal half way stops the menu building, and the connection still returns normally.
    auto refusing = fake::makeOutlook(kOutlookMenus);
    refusing->journal->failOn = "put FaceId";
    ConnectPreferencesMenu(refusing, reg);
    auto button = fake::menuBar(*refusing)->controls->items.at(6)->controls->items.at(0);
    CHECK(button->tag == u"Preferences");
    CHECK(button->tooltip.empty());

    CHECK(ConnectPreferencesMenu(nullptr, reg));
}

} // namespace

int main() {
    shortOrMissingAddressLeavesOutlookAlone();
    eightCharactersAddTheMenuSeventhOfNine();
    secondConnectionAddsNothing();
    captionsCompareExactly();
    numbersServeAsAddresses();
    failuresEndSilently();
    return check::result();
}

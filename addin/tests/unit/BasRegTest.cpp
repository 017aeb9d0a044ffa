// GetRegValue against an in-memory registry.
#include "BasReg.h"
#include "check.h"
#include "FakeRegistry.h"

using tabrix::BasReg::GetRegValue;
using tabrix::BasReg::RegValue;
using tabrix::BasReg::RootKey;

namespace {

const std::u16string kKey = u"Software\\Corvane\\QuorelleMsg";
const std::u16string kName = u"PreferencesURL";

RegValue read(fake::Registry& reg, const std::u16string& name = kName) {
    return GetRegValue(reg, RootKey::CurrentUser, kKey, name);
}

void missingKeyOrValueIsEmpty() {
    fake::Registry reg;
    RegValue v = read(reg);
    CHECK(v.kind == RegValue::Kind::Empty);
    CHECK(v.toText().empty());
    CHECK_EQ(reg.opened, 0);

    reg.setString(kKey, u"Other", u"http://server/prefs");
    v = read(reg);
    CHECK(v.kind == RegValue::Kind::Empty);
    CHECK_EQ(reg.opened, 1);
    CHECK_EQ(reg.closed, 1);

    // Another root is another key.
    v = GetRegValue(reg, RootKey::LocalMachine, kKey, u"Other");
    CHECK(v.kind == RegValue::Kind::Empty);
}

void stringsEndAtTheFirstNul() {
    fake::Registry reg;
    reg.setString(kKey, kName, std::u16string(u"http://server/prefs\0junk\0", 26));
    RegValue v = read(reg);
    CHECK(v.kind == RegValue::Kind::Text);
    CHECK(v.toText() == u"http://server/prefs");

    // Without any terminator the whole data is the text.
    reg.setString(kKey, kName, u"http://x");
    CHECK(read(reg).toText() == u"http://x");

    // A trailing odd byte is no character; an empty value is an empty text.
    reg.keys[kKey][kName].data.push_back('A');
    CHECK(read(reg).toText() == u"http://x");
    reg.setString(kKey, kName, u"");
    v = read(reg);
    CHECK(v.kind == RegValue::Kind::Text);
    CHECK(v.toText().empty());

    // Characters beyond Latin-1 survive.
    reg.setString(kKey, kName, u"http://s\u00e9rveur/\u65e5");
    CHECK(read(reg).toText() == u"http://s\u00e9rveur/\u65e5");
    CHECK_EQ(reg.opened, reg.closed);
}

void dwordsReadAsDecimalText() {
    fake::Registry reg;
    reg.setDword(kKey, kName, 12345678);
    RegValue v = read(reg);
    CHECK(v.kind == RegValue::Kind::Number);
    CHECK_EQ(v.number, 12345678u);
    CHECK(v.toText() == u"12345678");

    reg.setDword(kKey, kName, 0);
    CHECK(read(reg).toText() == u"0");
    reg.setDword(kKey, kName, 0xFFFFFFFFu);
    CHECK(read(reg).toText() == u"4294967295");
    CHECK_EQ(reg.opened, reg.closed);
}

void otherTypesAndFailedReadsAreEmpty() {
    fake::Registry reg;
    reg.setString(kKey, kName, u"%USERPROFILE%\\prefs.html", 2); // REG_EXPAND_SZ
    CHECK(read(reg).kind == RegValue::Kind::Empty);
    reg.keys[kKey][kName] = fake::RegistryValue{3, {'h', 't', 't', 'p', ':', '/', '/', 'x'}};
    CHECK(read(reg).kind == RegValue::Kind::Empty);

    reg.failReads = true;
    reg.setString(kKey, kName, u"http://server/prefs");
    CHECK(read(reg).kind == RegValue::Kind::Empty);
    reg.setDword(kKey, kName, 12345678);
    CHECK(read(reg).kind == RegValue::Kind::Empty);

    // A double word stored with more than four bytes does not fit and reads as nothing.
    reg.failReads = false;
    reg.keys[kKey][kName].data.push_back(0);
    CHECK(read(reg).kind == RegValue::Kind::Empty);
    CHECK_EQ(reg.opened, reg.closed);
}

} // namespace

int main() {
    missingKeyOrValueIsEmpty();
    stringsEndAtTheFirstNul();
    dwordsReadAsDecimalText();
    otherTypesAndFailedReadsAreEmpty();
    return check::result();
}

#include "sv_profile.h"

#include "sv_engine.h"
#include "sv_variable.h"

void SV_Engine::loadProfiles(const SV_XmlNode& root) {
    const SV_XmlNode profiles = section(root, QStringLiteral("profiles"));
    for (SV_XmlNode e = profiles.firstChildElement(QStringLiteral("profile")); !e.isNull();
         e = e.nextSiblingElement(QStringLiteral("profile"))) {
        SV_Profile* profile = new SV_Profile(this);
        const QString id = loadAttr(e, QStringLiteral("id"));
        profile->setID(id);
        profile->setText(loadDisplayText(e));
        for (SV_XmlNode ref = e.firstChildElement(QStringLiteral("var-ref")); !ref.isNull();
             ref = ref.nextSiblingElement(QStringLiteral("var-ref")))
            profile->setVariableValue(loadAttr(ref, QStringLiteral("var_id")),
                                      loadAttr(ref, QStringLiteral("value")));
        m_profiles.insert(id, profile);
    }
}

// A profile may set a profile variable, which applies the profile it selects. A profile
// already being applied is not applied again from inside itself: the chain would never end,
// and the outer application's settings stand.
void SV_Engine::storeProfile(const QString& id) {
    SV_Profile* profile = m_profiles.value(id);
    if (!profile || applyingProfile(id))
        return;
    m_applyingProfiles.append(id);
    const QMap<QString, QString> settings = profile->varSettings();
    for (auto it = settings.constBegin(); it != settings.constEnd(); ++it) {
        SV_Variable* var = variable(it.key());
        if (!var)
            continue;
        var->storeValue(it.value().split(QLatin1Char(','), Qt::SkipEmptyParts));
    }
    m_applyingProfiles.removeLast();
}

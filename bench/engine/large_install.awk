# Writes a large install file for the load benchmark (bench/engine/load.sh):
#   awk -v n=10000 -f bench/engine/large_install.awk > install.xml
# n variables, n actions and n stages (about 2.5 KB of XML for each triple), built like a
# real product's: every kind of variable with display texts, choices and validators; actions
# of every kind with their options (only the cheap, local ones run: a pre-install list of
# n/5 entries initialises and modifies variables); stages with titles, descriptions,
# initialisation, input and output elements, valid and continue conditions, some with
# sub-stages. The first stage cannot be left without an answer for var_00000, so an
# unattended console run with no answers ends there, after the pre-install list.
function id(prefix, i) { return sprintf("%s_%05d", prefix, i) }
function text(what, i) {
  return sprintf("%s %d of the Quorelle mail server: used by the delivery agents, the " \
                 "directory, the backups and the web front end of host group %d", what, i, i % 97)
}
BEGIN {
  if (n == "") n = 10000
  print "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
  print "<!-- Generated for the install-file load benchmark. -->"
  print "<installation>"
  print "  <install-info>"
  print "    <author dir=\"quorelle\"><string>Quorelle Project</string></author>"
  print "    <app-name><string>Quorelle Mail Server (large)</string></app-name>"
  print "    <resources dir=\"res\"/>"
  print "    <components dir=\"components\"/>"
  print "    <viewer-options>"
  print "      <option-param param=\"size\" value=\"half-screen\"/>"
  print "      <option-param param=\"description-location\" value=\"left\"/>"
  print "    </viewer-options>"
  print "  </install-info>"
  print "  <languages dir=\"translations\">"
  print "    <language name=\"English\" encoding=\"en\"/>"
  print "  </languages>"

  profiles = 20
  print "  <profiles>"
  for (p = 0; p < profiles; p++) {
    printf "    <profile id=\"%s\">\n      <string>Profile %d: a preset of the services</string>\n", id("profile", p), p
    for (k = 0; k < 5; k++)
      printf "      <var-ref var_id=\"%s\" value=\"choice_%d\"/>\n", id("var", 10 * p + 2 + 10 * k), k
    print "    </profile>"
  }
  print "  </profiles>"

  print "  <variables>"
  for (i = 0; i < n; i++) {
    kind = i % 10
    if (i == 0) kind = 0
    v = id("var", i)
    if (kind == 0 || kind == 1) {
      printf "    <variable id=\"%s\" default=\"%s\">\n      <string>%s</string>\n", v,
             (i == 0 ? "" : "host" i ".example.test"), text("Host name", i)
      printf "      <data-type><text-data%s/></data-type>\n    </variable>\n",
             (kind == 1 ? " validation-type=\"ldap-name-part\"" : "")
    } else if (kind == 2 || kind == 3) {
      printf "    <variable id=\"%s\" default=\"choice_%d\">\n      <string>%s</string>\n", v, i % 4, text("Mailbox format", i)
      print "      <data-type>\n        <single-selection>"
      for (c = 0; c < 4; c++)
        printf "          <choice id=\"choice_%d\"><string>Choice %d of setting %d: store the mail as format %d</string></choice>\n", c, c, i, c
      print "        </single-selection>\n      </data-type>\n    </variable>"
    } else if (kind == 4) {
      printf "    <variable id=\"%s\" default=\"choice_0,choice_1\">\n      <string>%s</string>\n", v, text("Services", i)
      print "      <data-type>\n        <multiple-selection>"
      for (c = 0; c < 5; c++)
        printf "          <choice id=\"choice_%d\"%s><string>Service %d of group %d</string></choice>\n", c,
               (c > 0 ? " depends=\"choice_" (c - 1) "\"" : ""), c, i
      print "        </multiple-selection>\n      </data-type>\n    </variable>"
    } else if (kind == 5) {
      printf "    <variable id=\"%s\" default=\"%d\">\n      <string>%s</string>\n", v, 1000 + i, text("Port", i)
      print "      <data-type><numeric-data datatype=\"uint\" min=\"1\" max=\"65535\"/></data-type>\n    </variable>"
    } else if (kind == 6) {
      printf "    <variable id=\"%s\" default=\"true\">\n      <string>%s</string>\n", v, text("Start service", i)
      print "      <data-type>\n        <boolean>"
      printf "          <true-text><string>start service %d</string></true-text>\n", i
      printf "          <false-text><string>leave service %d stopped</string></false-text>\n", i
      print "        </boolean>\n      </data-type>\n    </variable>"
    } else if (kind == 7) {
      printf "    <variable id=\"%s\">\n      <string>%s</string>\n", v, text("Password", i)
      print "      <data-type>\n        <password-data><password-conditions min_length=\"6\"/></password-data>\n      </data-type>\n    </variable>"
    } else if (kind == 8) {
      printf "    <variable id=\"%s\">\n      <string>%s</string>\n", v, text("Directory", i)
      print "      <data-type><directory-selection/></data-type>\n    </variable>"
    } else {
      printf "    <variable id=\"%s\" default=\"%s\">\n      <string>%s</string>\n", v, id("profile", i % profiles), text("Kind of installation", i)
      print "      <data-type>\n        <profile-selection>"
      for (c = 0; c < 3; c++)
        printf "          <profile-choice profile_id=\"%s\"/>\n", id("profile", (i + c) % profiles)
      print "        </profile-selection>\n      </data-type>\n    </variable>"
    }
  }
  print "  </variables>"

  print "  <actions>"
  for (i = 0; i < n; i++) {
    a = id("action", i)
    kind = i % 8
    if (kind == 0) {
      printf "    <action type=\"gethostname\" id=\"%s\">\n", a
      print "      <option-param param=\"rtype\" value=\"fqdn\"/>\n      <option-param param=\"ignore-errors\" value=\"true\"/>\n    </action>"
    } else if (kind == 1) {
      printf "    <action type=\"load-environment-variable\" id=\"%s\">\n", a
      print "      <option-param param=\"environment-variable\" value=\"HOME\"/>\n      <option-param param=\"ignore-errors\" value=\"true\"/>\n    </action>"
    } else if (kind == 2) {
      printf "    <action type=\"generate-password\" id=\"%s\">\n", a
      print "      <option-param param=\"length\" value=\"16\"/>\n      <option-param param=\"min\" value=\"48\"/>\n      <option-param param=\"max\" value=\"122\"/>\n    </action>"
    } else if (kind <= 5) {
      printf "    <action type=\"process\" id=\"%s\">\n", a
      print "      <option-param param=\"process\" value=\"sh\"/>\n      <option-param param=\"arg1\" value=\"-c\"/>"
      printf "      <option-param param=\"arg2\" value=\"set -e; mkdir -p &quot;$1/etc/%d&quot;; printf '%%s\\n' &quot;$2&quot; &gt;&quot;$1/etc/%d/host&quot;\"/>\n", i, i
      printf "      <option-param param=\"arg3\" value=\"%s\"/>\n", a
      printf "      <option-param param=\"arg4\" value=\"$$%s$$\"/>\n", id("var", (i + 8) - (i + 8) % 10)
      printf "      <option-param param=\"arg5\" value=\"$$%s$$\"/>\n", id("var", i - i % 10 + 1)
      print "    </action>"
    } else if (kind == 6) {
      printf "    <action type=\"file-edit\" id=\"%s\">\n", a
      printf "      <option-param param=\"file\" value=\"$$%s$$/etc/quorelle-%d.conf\"/>\n", id("var", i - i % 10 + 8), i
      print "      <option-param param=\"action\" value=\"replace\"/>"
      print "      <option-param param=\"replace_regexp\" value=\"^port=[0-9]+$\"/>"
      printf "      <option-param param=\"newstring\" value=\"port=$$%s$$\"/>\n    </action>\n", id("var", i - i % 10 + 5)
    } else {
      printf "    <action type=\"file-install\" id=\"%s\">\n", a
      printf "      <option-param param=\"file\" value=\"templates/service-%d.conf\"/>\n", i
      printf "      <option-param param=\"install-location\" value=\"$$%s$$/etc\"/>\n", id("var", i - i % 10 + 8)
      print "      <option-param param=\"template\" value=\"true\"/>\n    </action>"
    }
  }
  print "  </actions>"

  # Initialise the text variables from the local actions, then set some of them again.
  print "  <pre-install>"
  for (i = 0; i < n / 10; i++)
    printf "    <var-init var_id=\"%s\" action_id=\"%s\"/>\n", id("var", 10 * i + 1), id("action", 8 * (i % (n / 8)) + i % 3)
  for (i = 0; i < n / 10; i++)
    printf "    <var-modify var_id=\"%s\" newstring=\"$$%s$$.mail\"/>\n", id("var", 10 * i + 1), id("var", 10 * i + 1)
  print "  </pre-install>"

  print "  <stages>"
  for (i = 0; i < n; i++) {
    s = id("stage", i)
    base = i - i % 10
    indent = (i % 20 == 1 || i % 20 == 2) ? "        " : "    "
    printf "%s<stage id=\"%s\">\n%s  <string>Step %d: %s</string>\n", indent, s, indent, i, "settings of host group " (i % 97)
    printf "%s  <stage-description file=\"stage-%d.html\"/>\n", indent, i % 50
    if (i > 0) {
      printf "%s  <valid-conditions condition=\"or\">\n", indent
      printf "%s    <var-condition var_id=\"%s\" condition=\"item-selected\" value=\"choice_0\"/>\n", indent, id("var", base + 4)
      printf "%s    <var-condition var_id=\"%s\" condition=\"boolean\" value=\"true\"/>\n", indent, id("var", base + 6)
      printf "%s  </valid-conditions>\n", indent
    }
    printf "%s  <initialization>\n", indent
    printf "%s    <var-modify var_id=\"%s\" newstring=\"$$%s$$ on port $$%s$$\"/>\n", indent, id("var", base + 1), id("var", base), id("var", base + 5)
    printf "%s  </initialization>\n", indent
    printf "%s  <ui>\n", indent
    if (i == 0) printf "%s    <back visible=\"false\"/>\n", indent
    printf "%s    <ui-element><output-element><string>These settings apply to $$%s$$ and its services $$%s$$. They take effect once the services of this host group have been restarted by the installer.</string><text-output/></output-element></ui-element>\n", indent, id("var", base), id("var", base + 4)
    for (k = 0; k < 3; k++)
      printf "%s    <ui-element><input-element><variable-input var_id=\"%s\"/></input-element></ui-element>\n", indent, id("var", base + (i + k) % 10)
    printf "%s    <ui-element>\n%s      <valid-conditions><var-condition var_id=\"%s\" condition=\"not-empty\"/></valid-conditions>\n", indent, indent, id("var", base + 1)
    printf "%s      <output-element><string>Check the settings of this host group before going on to the next step</string><action-launcher action_id=\"%s\"/></output-element>\n%s    </ui-element>\n", indent, id("action", base + 3), indent
    printf "%s  </ui>\n", indent
    printf "%s  <continue-conditions condition=\"and\">\n", indent
    printf "%s    <var-condition var_id=\"%s\" condition=\"not-empty\"/>\n", indent, id("var", base)
    printf "%s    <var-condition var_id=\"%s\" condition=\"not-equal\" value=\"choice_3\"/>\n", indent, id("var", base + 2)
    printf "%s  </continue-conditions>\n", indent
    # Every twentieth stage holds the next two as its sub-stages.
    if (i % 20 == 0 && i + 1 < n) {
      printf "%s  <sub-stages>\n", indent
    } else {
      printf "%s</stage>\n", indent
      if (i % 20 == 2 || (i % 20 == 1 && i == n - 1))
        print "      </sub-stages>\n    </stage>"
    }
  }
  print "  </stages>"

  print "  <post-install>"
  printf "    <run-action action_id=\"%s\"/>\n", id("action", 3)
  print "  </post-install>"
  print "</installation>"
}

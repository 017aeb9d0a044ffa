require ["vacation", "fileinto", "reject", "envelope"];

vacation
	:days 1
	:addresses ["alice@example.com"]
	:subject "Out of office"
text:
This is an automated reply:
This person is temporarily out of the office
and has left the following note:

Away
Back Monday
.
;

if header :contains "from" "boss@example.net" {
	keep;
	stop;
}

if header :contains "from" "newsletter@example.org" {
	keep;
	stop;
}

if header :contains "to" "alice" {
	keep;
	stop;
}
if header :contains "from" "alice" {
	keep;
	stop;
}
if header :contains "to" "staff" {
	keep;
	stop;
}
if header :contains "cc" "staff" {
	keep;
	stop;
}

if header :contains "to" "all" {
	keep;
	stop;
}
if header :contains "cc" "all" {
	keep;
	stop;
}

if header :contains "to" "everyone" {
	keep;
	stop;
}
if header :contains "cc" "everyone" {
	keep;
	stop;
}

if header :contains "to" "friends" {
	keep;
	stop;
}
if header :contains "cc" "friends" {
	keep;
	stop;
}

fileinto "inbox.spam";
discard;

require ["vacation", "fileinto", "reject", "envelope"];

if header :contains "to" "dave" {
	keep;
	stop;
}
if header :contains "from" "dave" {
	keep;
	stop;
}
if header :contains "to" "cyc-a" {
	keep;
	stop;
}
if header :contains "cc" "cyc-a" {
	keep;
	stop;
}

if header :contains "to" "cyc-b" {
	keep;
	stop;
}
if header :contains "cc" "cyc-b" {
	keep;
	stop;
}

fileinto "inbox.spam";
discard;

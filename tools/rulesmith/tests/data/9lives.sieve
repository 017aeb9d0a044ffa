require ["vacation", "fileinto", "reject", "envelope"];

if header :contains "to" "9lives" {
	keep;
	stop;
}
if header :contains "from" "9lives" {
	keep;
	stop;
}
discard;

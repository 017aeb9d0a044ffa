require ["vacation", "fileinto", "reject", "envelope"];

vacation
	:days 1
	:addresses ["zed@edge.test"]
	:subject "Absence Notification"
text:
This is an automated reply:
This person is temporarily out of the office
.
;


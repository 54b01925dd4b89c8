var Conten3={
	"Version":	{
		"Current":	"1.0.0"
	},
	"Group_1":	{
		"1":	{
			"SessionID":	"20",
			"Name":	"Anna",
			"Phone":	"555-1234",
			"CallDate":	"2024-02-03 04:05:06",
			"CallStatus":	"1",
			"Duration":	"65",
			"isDelete":	"0",
			"Headimg":	""
		},
		"2":	{
			"SessionID":	"21",
			"Name":	"",
			"Phone":	"555-1234",
			"CallDate":	"2024-02-03 05:00:00",
			"CallStatus":	"2",
			"Duration":	"0",
			"isDelete":	"0",
			"Headimg":	""
		}
	},
	"Group_2":	{
		"1":	{
			"SessionID":	"22",
			"Name":	"",
			"Phone":	"999",
			"CallDate":	"2024-02-04 00:00:00",
			"CallStatus":	"3",
			"Duration":	"5",
			"isDelete":	"0",
			"Headimg":	""
		},
		"2":	{
			"SessionID":	"23",
			"Name":	"Eve, \"E\"",
			"Phone":	"777",
			"CallDate":	"",
			"CallStatus":	"5",
			"Duration":	"",
			"isDelete":	"0",
			"Headimg":	""
		}
	}
};
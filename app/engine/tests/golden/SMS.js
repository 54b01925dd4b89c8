var Conten1={
	"Version":	{
		"Current":	"1.0.0"
	},
	"Group_1":	{
		"1":	{
			"SessionID":	"10",
			"Name":	"Carl",
			"Phone":	"555-1234",
			"Text":	"Hi, \"there\"\nsecond line",
			"Date":	"2024-01-02 03:04:05",
			"flags":	"2",
			"read":	"1",
			"guid":	"7",
			"Type":	"0",
			"Headimg":	"1.jpg",
			"isDelete":	"0"
		},
		"2":	{
			"SessionID":	"11",
			"Name":	"",
			"Phone":	"555-1234",
			"Text":	"Sent one",
			"Date":	"2024-01-02 03:05:00",
			"flags":	"1",
			"read":	"2",
			"guid":	"7",
			"Type":	"0",
			"Headimg":	"",
			"isDelete":	"0"
		},
		"3":	{
			"SessionID":	"12",
			"Name":	"Carl",
			"Phone":	"555-1234",
			"Text":	"Draft",
			"Date":	"2024-01-02 03:06:00",
			"flags":	"4",
			"read":	"",
			"guid":	"7",
			"Type":	"0",
			"Headimg":	"",
			"isDelete":	"0"
		}
	},
	"Group_2":	{
		"1":	{
			"SessionID":	"13",
			"Name":	"Dee",
			"Phone":	"+1 (800) 555",
			"Text":	"你好",
			"Date":	"2023-12-31 23:59:59",
			"flags":	"1",
			"read":	"1",
			"guid":	"-1",
			"Type":	"0",
			"Headimg":	"",
			"isDelete":	"0"
		}
	},
	"Group_3":	{
	}
};
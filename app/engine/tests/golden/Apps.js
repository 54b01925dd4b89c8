var Content={
	"Version":	{
		"Current":	"1.0.0"
	},
	"1":	{
		"SessionID":	"0",
		"Appname":	"Example",
		"Packagename":	"com.example.app",
		"Classname":	"com.example.app.Main",
		"Filename":	"com.example.app-1.apk",
		"Version":	"1.2.3",
		"Installtime":	"2017-07-14  02:40:00",
		"Lastupdatetime":	"2017-07-14  02:40:01",
		"Cachesize":	"1",
		"Datasize":	"2",
		"Codesize":	"3",
		"Totalsize":	"6",
		"isDelete":	"0"
	}
};
var Content={
	"Version":	{
		"Current":	"1.0.0"
	},
	"1":	{
		"SessionID":	"5",
		"Title":	"Song",
		"Album":	"Album",
		"Artist":	"Artist",
		"Filename":	"5-Song One.mp3",
		"Duration":	"01:02:05",
		"Filesize":	"4096",
		"Modiftime":	"2023-11-14  22:13:20",
		"Createtime":	"1970-01-01  00:00:00",
		"isDelete":	"0"
	}
};
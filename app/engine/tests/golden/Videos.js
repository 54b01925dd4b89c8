var Content={
	"Version":	{
		"Current":	"1.0.0"
	},
	"1":	{
		"SessionID":	"6",
		"Title":	"Clip",
		"Displayname":	"clip.mp4",
		"Filename":	"6-clip.mp4",
		"Duration":	"25:00:00",
		"Filesize":	"123456789012",
		"Modiftime":	"2020-09-13  12:26:40",
		"Createtime":	"2020-09-13  12:26:40",
		"isDelete":	"0"
	}
};
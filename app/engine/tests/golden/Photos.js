var Content={
	"Version":	{
		"Current":	"1.0.0"
	},
	"1":	{
		"SessionID":	"7",
		"Title":	"IMG_1",
		"Filename":	"7-IMG_1.jpg",
		"Filesize":	"2048",
		"Modiftime":	"2022-04-15  05:20:00",
		"Createtime":	"2022-04-15  05:20:00",
		"isDelete":	"0"
	}
};
var Content={
	"Version":	{
		"Current":	"1.0.0"
	},
	"DeviceInfo":	{
		"Device_Name":	"Acme",
		"Serial_Number":	"SER123",
		"Device_Mode":	"Phone X",
		"Andriod_Version":	"13",
		"Device_baseband":	"",
		"ProductMD5":	"AD9A89F7CC7D8065A433248C71361FA3"
	}
};
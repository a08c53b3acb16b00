var kezo_data={}
kezo_data.manual_nonepic='1'
kezo_data.no_img='0'